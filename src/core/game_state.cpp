#include "core/game_state.h"

#include "core/geometry.h"

GameState game;

void set_scroll_y(int32_t y) {
    game.scroll_y = y;
    game.top_row = round_half_even(y, CELL_SIZE);
}
