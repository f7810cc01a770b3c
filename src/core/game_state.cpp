#include "core/game_state.h"

#include "core/geometry.h"

GameState game;
int start_mode = MODE_TITLE;

void set_scroll_y(int32_t y) {
    game.scroll_y = y;
    game.top_row = round_half_even(y, CELL_SIZE);
}
