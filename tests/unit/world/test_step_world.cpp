#include "support/harness.h"

// The walk visits rows top_row..top_row+32 and columns 0..32. Column 32 lies
// just off the right edge: what is anchored there is updated all the same and
// drawn at x = 320 + its offset, so a walker there can walk into view. Walker 7
// heads left; once walked it has stored its screen position and is drawn one
// step further left.
TEST(WorldWalk, VisitsThirtyThreeRowsFromTheTopAndColumnsZeroToThirtyTwo) {
    const struct { int row, col, off_x, off_y; bool walked; } cases[] = {{0, 0, 40, 0, true},
        {0, 32, -40, 0, true}, {32, 0, 40, -40, true}, {32, 32, -40, -40, true}, {-1, 5, 0, 0, false},
        {33, 5, 0, -40, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << " of the view, column " << c.col);
        const Running play(MODE_PLAY);
        set_scroll_y(2000);
        game.grid[200 + c.row][c.col] = CELL_WALKER_FIRST + 7;
        Walker &w = game.walkers[7];
        w.x = w.y = -1000, w.off_x = c.off_x, w.off_y = c.off_y, w.direction = DIR_LEFT, w.fire_interval = 1000;
        clear_bitmap(game.back_buffer);
        step_world();
        const int x = 10 * c.col + c.off_x, y = 10 * c.row + c.off_y;
        EXPECT_EQ((std::pair{w.x, w.y}), (c.walked ? std::pair{x, y} : std::pair{-1000, -1000}));
        EXPECT_EQ(static_cast<bool>(shows_sprite(SPR_WALKER_LEFT, x - 1, y)), c.walked);
    }
}

// Headings drawn in one walk by walkers 1..12 bouncing off the right margin.
static std::vector<int> bounce_headings(int64_t second) {
    pin_clock_seconds(second);
    for (int k = 1; k <= 12; ++k) game.walkers[k].off_x = 0, game.walkers[k].direction = DIR_RIGHT;
    step_world();
    std::vector<int> headings;
    for (int k = 1; k <= 12; ++k) headings.push_back(game.walkers[k].direction);
    return headings;
}

// Every walk re-seeds the random numbers with the clock's second, so the n-th
// draw of a frame is the same in every frame of one second, and a new second
// brings other draws.
TEST(WorldWalk, TheDrawsOfAFrameRepeatThroughoutAClockSecond) {
    const Running play(MODE_PLAY);
    for (int k = 1; k <= 12; ++k) game.grid[game.top_row + 4 + k][29] = CELL_WALKER_FIRST + k;  // x 290
    const std::vector<int> first = bounce_headings(40);
    EXPECT_EQ(bounce_headings(40), first);
    const std::vector<int> next = bounce_headings(41);
    EXPECT_NE(next, first);
    EXPECT_EQ(bounce_headings(41), next);
}

// A block above the ship pushes the view back while Up is held; from then on the
// walk looks up the ship's anchor with the new top_row, one row further down,
// while the rows it visits stay those of the view it started with.
TEST(WorldWalk, APushDuringTheWalkMovesTheLaterScreenAnchoredLookups) {
    const Running play(MODE_PLAY);
    set_scroll_y(2000);
    game.grid[200 + 21][15] = CELL_BLOCK;  // box at (150, 210): the ship at (150, 250) presses into it
    game.grid[200 + 33][3] = CELL_WALKER_FIRST + 4;
    game.player_x = 150, game.player_y = 250;
    hold_keys({KEY_UP});
    step_world();
    // The ship is found at row 226, not at row 225 with the old top_row; row 233 is
    // not visited, the rows were fixed before the push.
    EXPECT_EQ((std::tuple{game.top_row, game.player_y, game.walkers[4].y}), (std::tuple{201, 250, 0}));
}
