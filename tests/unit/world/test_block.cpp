#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "core/clock.h"
#include "core/game_state.h"
#include "support/harness.h"
#include "support/pixels.h"
#include "world/world.h"

namespace {

// A block at column 10, row 270: its box is (100, 140) at the level's start.
constexpr int COL = 10, ROW = 270, BX = 100, BY = 140;

// Play on an empty grid.
struct Blocks : ::testing::Test {
    void SetUp() override { start_test_game(MODE_PLAY); }
    void TearDown() override { stop_test_game(); }
};

// The last slot of the last owner of each table, so every loop must reach it.
Shot *const SHOTS[] = {&game.player_shots[20], &game.walker_shots[20][100], &game.right_turret_shots[20][50],
                             &game.left_turret_shots[20][50]};
enum { PLAYER, WALKER, RIGHT, LEFT };

TEST_F(Blocks, StopFlyingShotsInsideTheBoxAndTurretShotsWhateverTheirState) {
    const int I = SHOT_IDLE, F = SHOT_FLYING;
    const struct { int owner, dx, dy, after, state = F; } cases[] = {{PLAYER, 1, 40, I}, {PLAYER, 40, 1, I},
        {PLAYER, 41, 20, F}, {PLAYER, 0, 20, F}, {PLAYER, 20, 41, F}, {PLAYER, 20, 0, F}, {WALKER, 1, 40, I},
        {WALKER, 41, 20, F}, {RIGHT, 1, 40, I}, {LEFT, 0, 20, F},
        // A state that is neither: turret shots are made idle anyway, the others only when flying.
        {RIGHT, 20, 20, I, 0}, {LEFT, 20, 20, I, 0}, {WALKER, 20, 20, 0, 0}, {PLAYER, 20, 20, 0, 0}};
    for (const auto &c : cases) {
        *SHOTS[c.owner] = {c.state, BX + c.dx, BY + c.dy};
        step_block(COL, ROW);
        EXPECT_EQ(SHOTS[c.owner]->state, c.after) << c.owner << " at +" << c.dx << ",+" << c.dy;
    }
}

TEST_F(Blocks, HoldTheShipBackAgainstEachKeyWithinItsReach) {
    // The ship's corner at (dx, dy) from the block's; the push moves the ship (x) or the view (y).
    const int L = KEY_LEFT, R = KEY_RIGHT, U = KEY_UP, D = KEY_DOWN;
    const struct { int key, dx, dy, x = 0, y = 0; } cases[] = {{L, -9, 0, 10}, {L, -10, 0}, {L, 40, 0, 10},
        {L, 41, 0}, {L, 0, -9, 10}, {L, 0, -10}, {L, 0, 40, 10}, {L, 0, 41}, {R, 40, -9, -10}, {U, 0, 6, 0, 10},
        {U, 0, 5}, {U, 0, 40, 0, 10}, {U, 0, 41}, {D, 0, -39, 0, -10}, {D, 0, -40}, {D, 0, 40, 0, -10}};
    for (const auto &c : cases) {
        set_scroll_y(2560);
        game.player_off_x = 0, game.player_x = BX + c.dx, game.player_y = BY + c.dy;
        hold_keys({c.key});
        step_block(COL, ROW);
        EXPECT_EQ((std::pair{game.player_off_x, game.scroll_y}), (std::pair{c.x, 2560 + c.y}))
            << "key " << c.key << " at +" << c.dx << ",+" << c.dy;
    }
}

TEST_F(Blocks, TestTheBoxOfTheViewTheyStartWithAndDrawWithTheViewAfterThePush) {
    game.player_x = 150, game.player_y = 250;        // within Up's reach of the block at (140, 210)
    game.player_shots[3] = {SHOT_FLYING, 141, 250};  // inside that box, outside the box one push later
    hold_keys({KEY_UP});
    step_block(14, 277);
    EXPECT_EQ((std::pair{game.scroll_y, game.player_shots[3].state}), (std::pair{2570, SHOT_IDLE}));
    EXPECT_TRUE(shows_sprite(SPR_BLOCK, 140, 200));
}

TEST_F(Blocks, LiftWalkersTouchingThemAliveOrDeadAndTurnThemSideways) {
    const struct { int dx, dy; bool lifted; } cases[] = {
        {1, -40, true}, {40, 40, true}, {0, 0, false}, {41, 0, false}, {1, -41, false}, {1, 41, false}};
    game.walkers[100].alive = DESTROYED;
    std::set<int> seen;  // each lift re-seeds from the clock: within one second all turn the same way
    for (int second = 0; second < 3; ++second)
        for (const auto &c : cases) {
            pin_clock_seconds(second);
            for (Walker *w : {&game.walkers[0], &game.walkers[100]})
                w->x = BX + c.dx, w->y = BY + c.dy, w->off_y = 0, w->direction = DIR_DOWN;
            step_block(COL, ROW);
            for (const Walker &w : {game.walkers[0], game.walkers[100]})
                EXPECT_EQ((std::pair{w.off_y, w.direction != DIR_DOWN}), (std::pair{-5 * c.lifted, c.lifted}))
                    << "walker at +" << c.dx << ",+" << c.dy;
            EXPECT_EQ(game.walkers[0].direction, game.walkers[100].direction);
            seen.insert(game.walkers[0].direction);
        }
    EXPECT_EQ(seen, (std::set<int>{DIR_LEFT, DIR_RIGHT, DIR_DOWN}));
}

// In whole frames, a block finds enemy shots where they are now: one put into
// it between frames (as a replay's set or a snapshot put back does) by an owner
// never in view, and one that its turret, earlier in the walk, flies into it.
TEST_F(Blocks, StopEnemyShotsWhereverTheyWereMovedSinceTheLastFrame) {
    set_scroll_y(2000);
    game.grid[220][10] = CELL_BLOCK;              // box at (100, 200)
    game.grid[205][5] = CELL_RIGHT_TURRET_FIRST;  // walked before the block
    run_frames(1);
    Shot &dropped = game.walker_shots[3][7], &flown = game.right_turret_shots[3][0];
    dropped = {SHOT_FLYING, 120, 220};
    flown = {SHOT_FLYING, 95, 197};  // 2 right and 1 down a frame
    run_frames(3);
    EXPECT_EQ((std::tuple{dropped.state, flown.state, flown.x}), (std::tuple{SHOT_IDLE, SHOT_FLYING, 101}));
    run_frames(1);
    EXPECT_EQ(flown.state, SHOT_IDLE);  // at (103, 201)
}

// In whole frames: the blocks in view each hold the view back against Up, and lift a walker
// out of view (never updated) by its last stored position. The rows walked stay those of
// the view the frame starts with.
TEST_F(Blocks, TwoBlocksPushTheViewBackTwiceAgainstUpAndLiftAWalkerOutOfViewEveryFrame) {
    set_scroll_y(2000);                                    // rows 200 to 232 are walked
    game.grid[25][15] = CELL_PLAYER;                       // ship at (150, 250)
    game.grid[223][12] = game.grid[223][15] = CELL_BLOCK;  // boxes at (120, 230) and (150, 230)
    game.grid[100][10] = CELL_WALKER_FIRST + 4;            // far above the view
    game.grid[233][3] = CELL_WALKER_FIRST + 5;             // the row just below the walked ones
    Walker &w = game.walkers[4];
    w.x = 125, w.y = 230, w.direction = DIR_DOWN, w.alive = DESTROYED;  // touching the first block only
    run_frames(1);
    hold_keys({KEY_UP});
    run_frames(1, {KEY_UP});
    EXPECT_EQ(game.scroll_y, 2010);  // Up's 10 forward, and 10 back for each block
    EXPECT_EQ((std::pair{w.off_y, w.direction != DIR_DOWN}), (std::pair{-10, true}));  // lifted in both frames
    EXPECT_EQ(game.walkers[5].x, 0);                                                    // never walked
}

}  // namespace
