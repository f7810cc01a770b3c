#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "level/level.h"
#include "support.h"

// The built-in play levels as a load leaves them in the grid.
namespace {

bool is_walker(int v) { return v >= CELL_WALKER_FIRST && v <= CELL_WALKER_LAST; }
bool is_turret(int v) { return v >= CELL_RIGHT_TURRET_FIRST && v <= CELL_LEFT_TURRET_LAST; }

// Blocks (40 x 40) and turrets (32 x 32) push the ship (40 high) back: wherever
// it stands, a lane of 45 pixels must stay open, and no walker may start touching
// a block, or it is lifted every frame. Anchors and unique codes are the build's.
// kinds: count, lowest and highest code of walkers, right- and left-firing turrets.
TEST(ShippedLevels, HoldTheirObjectsAndLeaveALaneUpWithWalkersClearOfBlocks) {
    const struct { int level, blocks; std::array<int, 3> kinds[3]; int row_lo, row_hi; } shapes[] = {
        {2, 54, {{{22, 6, 72}}, {{6, 107, 127}}, {{7, 159, 185}}}, 16, 272},
        {3, 85, {{{17, 6, 60}}, {{5, 108, 125}}, {{8, 159, 187}}}, 15, 272},
        {4, 77, {{{15, 7, 57}}, {{9, 111, 143}}, {{8, 160, 191}}}, 14, 272},
        {5, 67, {{{22, 6, 87}}, {{0, 0, 0}}, {{0, 0, 0}}}, 16, 271},
    };
    for (const auto &s : shapes) {
        SCOPED_TRACE("level " + std::to_string(s.level));
        load_level(s.level);
        int blocks = 0, row_lo = GRID_ROWS, row_hi = 0;
        std::vector<int> codes[3];
        std::vector<std::vector<bool>> wall(GRID_ROWS + 4, std::vector<bool>(330, false));
        for (int r = 1; r <= LEVEL_ROWS; ++r)
            for (int c = 1; c <= LEVEL_COLS; ++c) {
                const int v = game.grid[r][c], size = v == CELL_BLOCK ? 40 : 32;
                const bool anchor = (r == 1 && c == 1) || (r == 25 && c == 15) || (r == 287 && c == 32);
                if (anchor || v == CELL_EMPTY) continue;
                ASSERT_TRUE(v == CELL_BLOCK || is_walker(v) || is_turret(v)) << v << " at (" << r << ", " << c << ")";
                row_lo = std::min(row_lo, r), row_hi = std::max(row_hi, r);
                if (v != CELL_BLOCK) codes[is_walker(v) ? 0 : v < CELL_LEFT_TURRET_FIRST ? 1 : 2].push_back(v);
                blocks += v == CELL_BLOCK;
                if (is_walker(v)) continue;
                for (int y = 0; y < size; ++y)
                    for (int x = 10 * c; x < std::min(10 * c + size, 330); ++x) wall[r + y / 10][x] = true;
                for (int wr = r - 4; wr <= r + 4 && v == CELL_BLOCK; ++wr)
                    for (int wc = c + 1; wc <= std::min(c + 4, LEVEL_COLS); ++wc)
                        EXPECT_FALSE(wr >= 1 && wr <= LEVEL_ROWS && is_walker(game.grid[wr][wc]))
                            << "walker at (" << wr << ", " << wc << ") touches block at (" << r << ", " << c << ")";
            }
        EXPECT_EQ(blocks, s.blocks);
        EXPECT_TRUE(row_lo == s.row_lo && row_hi == s.row_hi) << row_lo << ".." << row_hi;
        for (int k = 0; k < 3; ++k) {
            std::sort(codes[k].begin(), codes[k].end());
            const int n = static_cast<int>(codes[k].size());
            EXPECT_EQ((std::array{n, n ? codes[k].front() : 0, n ? codes[k].back() : 0}), s.kinds[k]) << "kind " << k;
        }
        for (int top = LEVEL_END_ROW + 25; top <= LEVEL_START_SCROLL_Y / 10 + 25; ++top) {
            int run = 0, best = 0;
            for (int x = 10; x < 312; ++x) {
                run = wall[top][x] || wall[top + 1][x] || wall[top + 2][x] || wall[top + 3][x] ? 0 : run + 1;
                best = std::max(best, run);
            }
            EXPECT_GE(best, 45) << "rows " << top << ".." << top + 3;
        }
    }
}

// Rows the levels were built around stay as given, and a walker that stood in
// column 0 of row 234 of level 3's text lands at the end of the row above.
TEST(ShippedLevels, KeepTheGivenRowsAndTheWalkerOfColumnZero) {
    const struct { int level, row; std::vector<std::pair<int, int>> cells; } rows[] = {
        {2, 93, {{1, 2}, {5, 2}, {9, 114}, {23, 2}, {27, 2}}}, {3, 60, {{7, 111}, {12, 45}, {18, 49}, {23, 168}}}};
    for (const auto &[level, row, cells] : rows) {
        load_level(level);
        std::vector<std::pair<int, int>> got;
        for (int c = 1; c <= LEVEL_COLS; ++c)
            if (game.grid[row][c]) got.push_back({c, game.grid[row][c]});
        EXPECT_EQ(got, cells) << "level " << level;
    }
    EXPECT_EQ(game.grid[233][32], 16);  // level 3 is still loaded
}

}  // namespace
