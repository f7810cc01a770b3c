#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "level/level.h"
#include "support.h"

// The built-in play levels as a load leaves them in the grid.
namespace {

// How many objects of a kind, and the lowest and highest code among them.
struct Range { int count, lo, hi; };
struct Shape { int level, blocks; Range walkers, rights, lefts; int row_lo, row_hi; };
const Shape SHAPES[] = {
    {2, 54, {22, 6, 72}, {6, 107, 127}, {7, 159, 185}, 16, 272},
    {3, 85, {17, 6, 60}, {5, 108, 125}, {8, 159, 187}, 15, 272},
    {4, 77, {15, 7, 57}, {9, 111, 143}, {8, 160, 191}, 14, 272},
    {5, 67, {22, 6, 87}, {0, 0, 0}, {0, 0, 0}, 16, 271},
};

void load(int n) {
    std::memset(static_cast<void *>(&game), 0, sizeof game);
    load_level(n);
}

bool is_block(int v) { return v == CELL_BLOCK; }
bool is_walker(int v) { return v >= CELL_WALKER_FIRST && v <= CELL_WALKER_LAST; }
bool is_turret(int v) { return v >= CELL_RIGHT_TURRET_FIRST && v <= CELL_LEFT_TURRET_LAST; }

void expect_codes(std::vector<int> codes, Range want, const char *what) {
    std::sort(codes.begin(), codes.end());
    ASSERT_EQ(static_cast<int>(codes.size()), want.count) << what;
    if (codes.empty()) return;
    EXPECT_EQ(codes.front(), want.lo) << what;
    EXPECT_EQ(codes.back(), want.hi) << what;
    EXPECT_EQ(std::adjacent_find(codes.begin(), codes.end()), codes.end()) << what << ": a code used twice";
    for (int never : {CELL_WALKER_FIRST, CELL_RIGHT_TURRET_FIRST, CELL_LEFT_TURRET_FIRST, CELL_LEFT_TURRET_LAST})
        EXPECT_FALSE(std::binary_search(codes.begin(), codes.end(), never)) << what << ": code " << never;
}

}  // namespace

TEST(ShippedLevels, HoldTheirObjectsCodesAndRows) {
    for (const Shape &s : SHAPES) {
        SCOPED_TRACE("level " + std::to_string(s.level));
        load(s.level);
        EXPECT_EQ(game.grid[1][1], CELL_CURSOR);
        EXPECT_EQ(game.grid[25][15], CELL_PLAYER);
        int blocks = 0, lo_row = GRID_ROWS, hi_row = 0;
        std::vector<int> walkers, rights, lefts;
        for (int r = 1; r <= LEVEL_ROWS; ++r)
            for (int c = 1; c <= LEVEL_COLS; ++c) {
                const int v = game.grid[r][c];
                const bool anchor = (r == 1 && c == 1) || (r == 25 && c == 15) || (r == 287 && c == 32);
                if (anchor || v == CELL_EMPTY) continue;
                ASSERT_TRUE(is_block(v) || is_walker(v) || is_turret(v)) << v << " at (" << r << ", " << c << ")";
                if (is_block(v))
                    ++blocks;
                else
                    (is_walker(v) ? walkers : v < CELL_LEFT_TURRET_FIRST ? rights : lefts).push_back(v);
                lo_row = std::min(lo_row, r);
                hi_row = std::max(hi_row, r);
            }
        EXPECT_EQ(blocks, s.blocks);
        expect_codes(walkers, s.walkers, "walkers");
        expect_codes(rights, s.rights, "right-firing turrets");
        expect_codes(lefts, s.lefts, "left-firing turrets");
        EXPECT_EQ(lo_row, s.row_lo);
        EXPECT_EQ(hi_row, s.row_hi);
    }
}

TEST(ShippedLevels, KeepTheGivenRowsAndTheWalkerOfColumnZero) {
    const std::map<int, std::map<int, int>> rows = {{2, {{1, 2}, {5, 2}, {23, 2}, {27, 2}, {9, 114}}},
                                                    {3, {{7, 111}, {12, 45}, {18, 49}, {23, 168}}}};
    for (const auto &[level, cells] : rows) {
        load(level);
        const int row = level == 2 ? 93 : 60;
        for (int c = 1; c <= LEVEL_COLS; ++c)
            EXPECT_EQ(game.grid[row][c], cells.count(c) ? cells.at(c) : 0) << "level " << level << " col " << c;
    }
    load(3);  // it stood in column 0 of row 234 of the text
    EXPECT_EQ(game.grid[233][32], 16);
}

// Blocks (40 x 40) and turrets (32 x 32) push the ship back. Wherever the ship
// (40 high) stands on the climb, a lane of 45 pixels must stay open across the
// window, and no walker may start touching a block, or it is lifted every frame.
TEST(ShippedLevels, LeaveALaneUpAndWalkersClearOfBlocks) {
    for (const Shape &s : SHAPES) {
        SCOPED_TRACE("level " + std::to_string(s.level));
        load(s.level);
        std::vector<std::vector<bool>> wall(GRID_ROWS + 4, std::vector<bool>(330, false));
        for (int r = 1; r <= LEVEL_ROWS; ++r)
            for (int c = 1; c <= LEVEL_COLS; ++c) {
                const int v = game.grid[r][c], size = is_block(v) ? 40 : 32;
                if (!is_block(v) && !is_turret(v)) continue;
                for (int y = 0; y < size; ++y)
                    for (int x = 10 * c; x < std::min(10 * c + size, 330); ++x) wall[r + y / 10][x] = true;
                for (int wr = 1; wr <= LEVEL_ROWS && is_block(v); ++wr)
                    for (int wc = 1; wc <= LEVEL_COLS; ++wc) {
                        const int bx = 10 * c, by = 10 * r, x = 10 * wc, y = 10 * wr;
                        if (!is_walker(game.grid[wr][wc])) continue;
                        EXPECT_FALSE(bx < x && x < bx + 41 && by - 41 < y && y < by + 41)
                            << "walker at (" << wr << ", " << wc << ") touches block at (" << r << ", " << c << ")";
                    }
            }
        for (int top = LEVEL_END_ROW + 25; top <= LEVEL_START_SCROLL_Y / 10 + 25; ++top) {
            int run = 0, best = 0;
            for (int x = 10; x < 312; ++x) {
                const bool hit = wall[top][x] || wall[top + 1][x] || wall[top + 2][x] || wall[top + 3][x];
                run = hit ? 0 : run + 1;
                best = std::max(best, run);
            }
            EXPECT_GE(best, 45) << "rows " << top << ".." << top + 3;
        }
    }
}
