#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "level/level.h"
#include "level/level_table.h"
#include "support.h"

// Levels 2 to 5 are 33 values short of the template, so a load runs on into the
// next level (its cursor, a row of zeros) or past the table's end (zeros). Every
// load seeks afresh and leaves row 0 and column 0 alone.
TEST(LevelLoader, SeeksEveryTimeAndRunsOnIntoTheNextLevel) {
    static int32_t level2[GRID_ROWS][GRID_COLS];
    std::memset(static_cast<void *>(&game), 0, sizeof game);
    game.grid[0][7] = 55;
    game.grid[40][0] = 66;
    load_level(EDITOR_TEMPLATE_LEVEL);
    int nonzero = 0;
    for (int r = 1; r <= LEVEL_ROWS; ++r)
        for (int c = 1; c <= LEVEL_COLS; ++c) nonzero += game.grid[r][c] != 0;
    EXPECT_TRUE(game.grid[1][1] == CELL_CURSOR && game.grid[25][15] == CELL_PLAYER && nonzero == 2);
    for (int n = 2; n <= 5; ++n) {
        load_level(n);
        if (n == 2) std::memcpy(level2, game.grid, sizeof level2);
        EXPECT_EQ(game.grid[287][32], n < 5 ? CELL_CURSOR : 0) << "level " << n;
        for (int c = 1; c <= LEVEL_COLS; ++c) EXPECT_EQ(game.grid[288][c], 0) << "level " << n << " col " << c;
    }
    EXPECT_EQ(next_value(), 0);  // the table is exhausted and stays so
    EXPECT_EQ(game.level_reader, LEVEL_TABLE_SIZE);
    load_level(2);
    EXPECT_EQ(std::memcmp(level2, game.grid, sizeof level2), 0);
    EXPECT_TRUE(game.grid[0][7] == 55 && game.grid[40][0] == 66);
    EXPECT_EQ(game.level_reader, LEVEL_START[3] + 33);  // 33 values into level 3
}

// With every byte of the game set, a read that slipped past an edge of the grid
// would see a non-empty value.
TEST(LevelGrid, ReadsOutsideTheGridAsEmpty) {
    std::memset(static_cast<void *>(&game), 1, sizeof game);
    for (auto [r, c] : {std::pair{-1, 32}, {289, 0}, {5, 33}, {5, -1}})
        EXPECT_EQ(cell_at(r, c), CELL_EMPTY) << r << ", " << c;
    EXPECT_TRUE(cell_at(0, 0) != CELL_EMPTY && cell_at(288, 32) != CELL_EMPTY);
    std::memset(static_cast<void *>(&game), 0, sizeof game);
}
