#include <allegro.h>

#include "level/level.h"
#include "core/game_state.h"
#include "core/geometry.h"
#include "core/random.h"
#include "world/world.h"

bool held(int key_code) { return key[key_code] != 0; }

// The level-anchored handlers of one cell, in their fixed order. The code is
// mapped straight to its object rather than compared with all 203 numbers;
// 154 is both right-firing turret 50 and left-firing turret 0.
static void step_level_cell(int32_t code, int32_t col, int32_t row) {
    const unsigned kind = cell_kind(code);
    if (kind & KIND_BLOCK) step_block(col, row);
    if (kind & KIND_WALKER) step_walker(code - CELL_WALKER_FIRST, col, row);
    if (kind & KIND_RIGHT_TURRET) step_right_turret(code - CELL_RIGHT_TURRET_FIRST, col, row);
    if (kind & KIND_LEFT_TURRET) step_left_turret(code - CELL_LEFT_TURRET_FIRST, col, row);
}

namespace {
const int32_t NO_CELLS[GRID_COLS] = {};  // what a row outside the grid reads

const int32_t *grid_row(int32_t row) { return in_grid(row, 0) ? game.grid[row] : NO_CELLS; }
}  // namespace

void step_world() {
    reseed_random();
    mark_walk(true);
    const int32_t first = game.top_row;  // the visited rows stay fixed even if a push moves the view
    for (int32_t i = first; i < first + VIEW_ROWS; ++i) {
        const int32_t *level = grid_row(i);
        const int32_t *screen = grid_row(i - game.top_row);  // kept in step with top_row
        for (int32_t j = 0; j < VIEW_COLS; ++j) {
            // A cell empty both ways has nothing to do, and most are: one test
            // passes them by, sure that no handler has moved the view since
            // `screen` was taken.
            if ((level[j] | screen[j]) == CELL_EMPTY) continue;
            // Screen-anchored lookups use top_row as it is now; cells outside the grid read empty.
            if (game.mode == MODE_PLAY && cell_at(i - game.top_row, j) == CELL_PLAYER) step_ship(j, i);
            step_level_cell(cell_at(i, j), j, i);
            if (game.mode == MODE_EDITOR && cell_at(i - game.top_row, j) == CELL_CURSOR) step_cursor(j, i);
            screen = grid_row(i - game.top_row);
        }
    }
    mark_walk(false);
}
