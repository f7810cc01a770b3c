#include "assets/atlas.h"
#include "level/level.h"
#include "core/game_state.h"
#include "core/geometry.h"
#include "world/world.h"

namespace {
// Hands out the next code of an enemy range, or 0 once the range is used up.
int32_t take_code(int32_t &next, int32_t end) {
    if (next >= end) return CELL_EMPTY;
    return next++;
}

void draw_preview(int32_t x, int32_t y) {
    switch (game.brush) {
        case BRUSH_ERASE: draw_sprite_region(SPR_CURSOR, x, y); break;
        case BRUSH_BLOCK: draw_sprite_region(SPR_BLOCK, x, y); break;
        case BRUSH_WALKER: draw_walker(DIR_LEFT, x, y); break;
        case BRUSH_RIGHT_TURRET: draw_sprite_region(SPR_RIGHT_TURRET, x, y); break;
        case BRUSH_LEFT_TURRET: draw_sprite_region(SPR_LEFT_TURRET, x, y); break;
        default: break;
    }
}
}  // namespace

// The editor cursor: finds the level cell under it, previews the brush there and
// places the brush when asked. Cells outside the grid are never written.
void step_cursor(int32_t col, int32_t row) {
    const int32_t x = col * CELL_SIZE + game.cursor_off_x;
    const int32_t y_level = row * CELL_SIZE + game.cursor_off_y;
    game.cursor_col = round_half_even(x, CELL_SIZE);
    game.cursor_row = round_half_even(y_level, CELL_SIZE);

    draw_preview(x, y_level - game.scroll_y);

    if (game.place_request != ON) return;
    game.place_request = OFF;
    if (!in_grid(game.cursor_row, game.cursor_col)) return;

    int32_t &cell = game.grid[game.cursor_row][game.cursor_col];
    switch (game.brush) {
        case BRUSH_ERASE: cell = CELL_EMPTY; break;
        case BRUSH_BLOCK: cell = CELL_BLOCK; break;
        case BRUSH_WALKER:
            if (int32_t code = take_code(game.next_walker_code, EDITOR_WALKER_CODE_END)) cell = code;
            break;
        case BRUSH_RIGHT_TURRET:
            if (int32_t code = take_code(game.next_right_turret_code, EDITOR_RIGHT_TURRET_CODE_END)) cell = code;
            break;
        case BRUSH_LEFT_TURRET:
            if (int32_t code = take_code(game.next_left_turret_code, EDITOR_LEFT_TURRET_CODE_END)) cell = code;
            break;
        default: break;
    }
}
