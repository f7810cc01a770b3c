#include "level/level.h"

#include "core/game_state.h"
#include "level/level_table.h"

bool in_grid(int32_t row, int32_t col) { return row >= 0 && row < GRID_ROWS && col >= 0 && col < GRID_COLS; }

int32_t cell_at(int32_t row, int32_t col) { return in_grid(row, col) ? game.grid[row][col] : CELL_EMPTY; }

void seek_level(int32_t n) {
    if (n < 1 || n > LEVEL_COUNT) n = 1;
    game.level_reader = LEVEL_START[n];
}

int32_t next_value() {
    if (game.level_reader < 0 || game.level_reader >= LEVEL_TABLE_SIZE) return 0;
    return LEVEL_TABLE[game.level_reader++];
}

void load_level(int32_t n) {
    seek_level(n);
    for (int32_t row = 1; row <= LEVEL_ROWS; ++row)
        for (int32_t col = 1; col <= LEVEL_COLS; ++col) game.grid[row][col] = next_value();
}
