#include <gtest/gtest.h>

#include "support.h"
#include "world/world.h"

namespace {

// The margins test the position from before their correction, strictly past
// 280 and 10; the corrected offset is drawn and parks the idle shots in the same
// frame. A shot turning idle above y 5 is still drawn where it stopped.
TEST(ShipMargins, CorrectOnlyStrictlyPastEitherSideWhileShotsIdleAboveTheTop) {
    const struct { int off_x, player_x, off_after; } cases[] = {
        {131, 281, 126}, {130, 280, 130}, {-140, 10, -140}, {-141, 9, -136}};
    for (const auto &c : cases) {
        start_empty_play();
        game.ship_frame = 1;
        game.player_off_x = c.off_x;
        game.player_shots[3] = {SHOT_FLYING, 180, 9};  // between the score line and the banner
        game.player_shots[4] = {SHOT_FLYING, 200, 10};
        run_frames(1);
        EXPECT_TRUE(game.player_x == c.player_x && game.player_off_x == c.off_after) << c.off_x;
        EXPECT_EQ(game.player_shots[0].x, 150 + c.off_after + 13) << c.off_x;
        EXPECT_TRUE(shows_sprite(SPR_SHIP_1, 150 + c.off_after, 250)) << c.off_x;
        EXPECT_TRUE(game.player_shots[3].state == SHOT_IDLE && game.player_shots[3].y == 4);
        EXPECT_TRUE(game.player_shots[4].state == SHOT_FLYING && game.player_shots[4].y == 5);
        EXPECT_TRUE(shows_sprite(SPR_SHOT, 180, 4) && shows_sprite(SPR_SHOT, 200, 5));
        stop_test_game();
    }
}

// Pushes can carry the view anywhere. The walk must then read no cell outside
// the grid (the sanitizer build fails on any such read) while the ship, which
// is anchored to the screen, is still found once at its place.
TEST(WorldWalk, AViewFarOutsideTheGridReadsNothingOutsideIt) {
    for (int top : {-100000, -500, -33, -5, 0, 250, 256, 270, 289, 300, 10000, 100000}) {
        start_empty_play();
        for (int c = 1; c <= LEVEL_COLS; ++c) game.grid[288][c] = c % 2 ? CELL_BLOCK : 3 + c;
        set_scroll_y(top * CELL_SIZE);
        game.player_x = game.player_y = -1;
        step_world();
        EXPECT_TRUE(game.player_x == 150 && game.player_y == 250) << "top_row " << top;
        stop_test_game();
    }
}

// A block above the ship pushes the view back while Up is held; from then on the
// walk looks up the ship's anchor with the new top_row, one row further down,
// while the rows it visits stay those of the view it started with.
TEST(WorldWalk, APushDuringTheWalkMovesTheLaterScreenAnchoredLookups) {
    start_empty_play();
    set_scroll_y(2000);
    game.grid[200 + 21][15] = CELL_BLOCK;  // box at (150, 210): the ship at (150, 250) presses into it
    game.grid[200 + 33][3] = CELL_WALKER_FIRST + 4;
    game.player_x = 150, game.player_y = 250;
    hold_keys({KEY_UP});
    step_world();
    EXPECT_EQ(game.top_row, 201);
    EXPECT_EQ(game.player_y, 250) << "found at row 226, not at row 225 with the old top_row";
    EXPECT_EQ(game.walkers[4].y, 0) << "row 233 is not visited: the rows were fixed before the push";
    stop_test_game();
}

}  // namespace
