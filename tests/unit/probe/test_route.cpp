#include "probe/probe.h"
#include "probe/route.h"
#include "support/harness.h"

// The way up is found by playing the game's own frames: these levels are drawn
// here so that the right answer is known.
struct WayUpTest : GameIn<MODE_TITLE> {
    void SetUp() override {
        GameIn::SetUp();
        play_level(FIRST_GAME_LEVEL);
        std::memset(game.grid, 0, sizeof game.grid);
        game.grid[25][15] = CELL_PLAYER;
    }
    // A wall of blocks across `row` from column `from` to column `to` (each block 4 columns wide).
    static void wall(int row, int from, int to) {
        for (int c = from; c <= to; c += 4) game.grid[row][c] = CELL_BLOCK;
    }
};

// With nothing in the way the ship climbs a row a frame: 246 frames of Up take
// the view from row 256 to row 10, and the frame after that ends the level.
TEST_F(WayUpTest, AnEmptyLevelIsClimbedStraightUp) {
    const WayUp way = find_way_up();
    ASSERT_TRUE(way.found);
    EXPECT_EQ(way.steps.size(), 248u);
    for (size_t i = 1; i < way.steps.size(); ++i) EXPECT_EQ(way.steps[i].keys, HOLD_UP) << "frame " << i;
    EXPECT_EQ(way.steps.front().scroll_y, LEVEL_START_SCROLL_Y);
    EXPECT_EQ(way.steps.back().scroll_y, LEVEL_END_ROW * CELL_SIZE);
}

// A wall with one gap at the left edge: the way goes through the gap, steering
// while it climbs (Up with Left costs no frame), and the game's push-back
// decides how close to the wall's end the ship may pass: its 10-pixel left
// strip must clear the first block.
TEST_F(WayUpTest, AWallIsPassedThroughItsGap) {
    wall(150, 9, 29);  // blocks from x = 90 to the right edge
    const WayUp way = find_way_up();
    ASSERT_TRUE(way.found);
    EXPECT_EQ(way.steps.size(), 248u);
    for (const RouteStep &s : way.steps) {
        const int32_t top_row = (s.scroll_y + 250) / CELL_SIZE;
        if (top_row >= 146 && top_row <= 154) {
            EXPECT_LE(s.player_x, 80) << "beside the wall at scroll_y " << s.scroll_y;
        }
    }
}

// A wall across the whole window stops the ship with its top edge 41 pixels
// below the wall's top, and the game is as it was before the search.
TEST_F(WayUpTest, AWallAcrossStopsTheShipBelowIt) {
    wall(250, 1, 29);
    game.grid[200][5] = CELL_WALKER_FIRST + 7;
    game.right_turrets[3].fire_interval = 77;
    static GameState before;
    copy_of_game(before);
    const WayUp way = find_way_up();
    EXPECT_FALSE(way.found);
    EXPECT_EQ(way.highest_row, 254);
    EXPECT_TRUE(game_equals(before)) << "the search left the game changed";
}

// Following a route from the ship's own start takes the ship through the
// walls to the level's end as fast as the route; a ship that strays is
// steered back towards it.
TEST_F(WayUpTest, TheFollowerTakesTheShipAlongTheRoute) {
    wall(200, 1, 17);
    wall(120, 13, 29);
    const WayUp way = find_way_up();
    ASSERT_TRUE(way.found);
    RouteFollower follower(way.steps);
    const FramePlatform probe = {[] {}, [] {}, poll_held_keys};
    size_t frames = 0;
    while (game.level_number == FIRST_GAME_LEVEL && frames < 2 * way.steps.size()) {
        hold_key_bits(follower.keys_for(game.scroll_y, ship_x()));
        run_frame(probe);
        ++frames;
    }
    EXPECT_EQ(frames, way.steps.size() - 1);

    RouteFollower stray(way.steps);
    EXPECT_EQ(stray.keys_for(LEVEL_START_SCROLL_Y, ship_x() - 40), HOLD_RIGHT) << "left of the route: right, not up";
    EXPECT_EQ(stray.keys_for(LEVEL_START_SCROLL_Y, ship_x() + 40) & (HOLD_LEFT | HOLD_RIGHT), HOLD_LEFT);
}
