#include <gtest/gtest.h>

#include <cstring>

#include "level/level.h"
#include "level/level_table.h"
#include "support.h"

// The loader reads a full level's worth of values and runs on into the next
// level, so what lands in the last cells depends on what follows in the table.
TEST(LevelLoader, TemplateHoldsOnlyTheTwoAnchors) {
    std::memset(static_cast<void *>(&game), 0, sizeof game);
    load_level(EDITOR_TEMPLATE_LEVEL);
    int others = 0;
    for (int r = 1; r <= LEVEL_ROWS; ++r)
        for (int c = 1; c <= LEVEL_COLS; ++c)
            if (!(r == 1 && c == 1) && !(r == 25 && c == 15) && game.grid[r][c] != 0) ++others;
    EXPECT_EQ(game.grid[1][1], CELL_CURSOR);
    EXPECT_EQ(game.grid[25][15], CELL_PLAYER);
    EXPECT_EQ(others, 0);
}

TEST(LevelLoader, RunsOnIntoTheNextLevelAndThenReadsZero) {
    std::memset(static_cast<void *>(&game), 0, sizeof game);
    for (int n = 2; n <= 4; ++n) {
        load_level(n);
        EXPECT_EQ(game.grid[287][32], CELL_CURSOR) << "level " << n;
        for (int c = 1; c <= LEVEL_COLS; ++c) EXPECT_EQ(game.grid[288][c], 0) << "level " << n << " col " << c;
    }
    load_level(5);
    EXPECT_EQ(game.grid[287][32], 0);
    for (int c = 1; c <= LEVEL_COLS; ++c) EXPECT_EQ(game.grid[288][c], 0);
    EXPECT_EQ(next_value(), 0);  // the table is exhausted and stays so
    EXPECT_EQ(game.level_reader, LEVEL_TABLE_SIZE);
}

TEST(LevelLoader, LeavesRowZeroAndColumnZeroAndSeeksEveryTime) {
    std::memset(static_cast<void *>(&game), 0, sizeof game);
    game.grid[0][7] = 55;
    game.grid[40][0] = 66;
    load_level(2);
    int32_t first[GRID_ROWS][GRID_COLS];
    std::memcpy(first, game.grid, sizeof first);
    load_level(4);
    load_level(2);
    EXPECT_EQ(std::memcmp(first, game.grid, sizeof first), 0);
    EXPECT_EQ(game.grid[0][7], 55);
    EXPECT_EQ(game.grid[40][0], 66);
    EXPECT_EQ(game.level_reader, LEVEL_START[3] + 33);  // 33 values into level 3
}

TEST(LevelGrid, ReadsOutsideTheGridAsEmpty) {
    std::memset(static_cast<void *>(&game), 0, sizeof game);
    load_level(2);
    EXPECT_EQ(cell_at(-1, 5), CELL_EMPTY);
    EXPECT_EQ(cell_at(289, 5), CELL_EMPTY);
    EXPECT_EQ(cell_at(5, 33), CELL_EMPTY);
    EXPECT_EQ(cell_at(5, -1), CELL_EMPTY);
    EXPECT_EQ(cell_at(1, 1), CELL_CURSOR);
}
