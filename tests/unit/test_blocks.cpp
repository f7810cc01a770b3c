#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "shell/clock.h"
#include "support.h"
#include "world/world.h"

namespace {

// A block at column 10, row 270: its box is (100, 140) at the level's start.
constexpr int COL = 10, ROW = 270, BX = 100, BY = 140;

class Blocks : public ::testing::Test {
protected:
    void SetUp() override {
        start_headless(MODE_PLAY);
        std::memset(game.grid, 0, sizeof game.grid);
    }
    void TearDown() override { stop_headless(); }
};

// The last slot of the last owner of each table, so every loop must reach it.
PlayerShot *const SHOTS[] = {&game.player_shots[20], &game.walker_shots[20][100], &game.right_turret_shots[20][50],
                             &game.left_turret_shots[20][50]};
enum { PLAYER, WALKER, RIGHT, LEFT };

TEST_F(Blocks, StopFlyingShotsInsideTheBoxAndTurretShotsWhateverTheirState) {
    const struct { int owner, state, dx, dy, after; } cases[] = {
        {PLAYER, SHOT_FLYING, 1, 40, SHOT_IDLE},    {PLAYER, SHOT_FLYING, 40, 1, SHOT_IDLE},
        {PLAYER, SHOT_FLYING, 41, 20, SHOT_FLYING}, {PLAYER, SHOT_FLYING, 0, 20, SHOT_FLYING},
        {PLAYER, SHOT_FLYING, 20, 41, SHOT_FLYING}, {PLAYER, SHOT_FLYING, 20, 0, SHOT_FLYING},
        {WALKER, SHOT_FLYING, 1, 40, SHOT_IDLE},    {WALKER, SHOT_FLYING, 41, 20, SHOT_FLYING},
        {RIGHT, SHOT_FLYING, 1, 40, SHOT_IDLE},     {LEFT, SHOT_FLYING, 0, 20, SHOT_FLYING},
        // A state that is neither: turret shots are made idle anyway, the others only when flying.
        {RIGHT, 0, 20, 20, SHOT_IDLE}, {LEFT, 0, 20, 20, SHOT_IDLE}, {WALKER, 0, 20, 20, 0}, {PLAYER, 0, 20, 20, 0},
    };
    for (const auto &c : cases) {
        *SHOTS[c.owner] = {c.state, BX + c.dx, BY + c.dy};
        step_block(COL, ROW);
        EXPECT_EQ(SHOTS[c.owner]->state, c.after) << c.owner << " at +" << c.dx << ",+" << c.dy;
        *SHOTS[c.owner] = {SHOT_IDLE, 0, 0};
    }
}

TEST_F(Blocks, HoldTheShipBackAgainstEachKeyWithinItsReach) {
    const struct { int key, dx, dy; bool pushes; } cases[] = {
        {KEY_LEFT, -9, 0, true},  {KEY_LEFT, -10, 0, false}, {KEY_LEFT, 40, 0, true},  {KEY_LEFT, 41, 0, false},
        {KEY_LEFT, 0, -9, true},  {KEY_LEFT, 0, -10, false}, {KEY_LEFT, 0, 40, true},  {KEY_LEFT, 0, 41, false},
        {KEY_RIGHT, 40, -9, true}, {KEY_UP, 0, 6, true},     {KEY_UP, 0, 5, false},    {KEY_UP, 0, 40, true},
        {KEY_UP, 0, 41, false},   {KEY_DOWN, 0, -39, true},  {KEY_DOWN, 0, -40, false}, {KEY_DOWN, 0, 40, true},
    };
    for (const auto &c : cases) {
        set_scroll_y(2560);
        game.player_off_x = 0, game.player_x = BX + c.dx, game.player_y = BY + c.dy;
        hold_keys({c.key});
        step_block(COL, ROW);
        const bool sideways = c.key == KEY_LEFT || c.key == KEY_RIGHT;
        const int push = !c.pushes ? 0 : c.key == KEY_LEFT || c.key == KEY_UP ? 10 : -10;
        EXPECT_EQ(game.player_off_x, sideways ? push : 0) << c.key << " " << c.dx << "," << c.dy;
        EXPECT_EQ(game.scroll_y, 2560 + (sideways ? 0 : push)) << c.key << " " << c.dx << "," << c.dy;
        EXPECT_EQ(game.top_row, game.scroll_y / 10);
    }
}

TEST_F(Blocks, TestTheBoxOfTheViewTheyStartWithAndDrawWithTheViewAfterThePush) {
    game.player_x = 150, game.player_y = 250;        // within Up's reach of the block at (140, 210)
    game.player_shots[3] = {SHOT_FLYING, 141, 250};  // inside that box, outside the box one push later
    hold_keys({KEY_UP});
    step_block(14, 277);
    EXPECT_EQ(game.scroll_y, 2570);
    EXPECT_EQ(game.player_shots[3].state, SHOT_IDLE);
    EXPECT_TRUE(shows_sprite(SPR_BLOCK, 140, 200));
}

TEST_F(Blocks, TwoBlocksPushTheViewBackTwiceAgainstUp) {
    for (int blocks = 0; blocks <= 2; ++blocks) {
        stop_headless();
        start_headless(MODE_PLAY);
        std::memset(game.grid, 0, sizeof game.grid);
        game.grid[25][15] = CELL_PLAYER;                   // ship at (150, 250)
        if (blocks >= 1) game.grid[279][12] = CELL_BLOCK;  // boxes at (120, 230) and (150, 230)
        if (blocks >= 2) game.grid[279][15] = CELL_BLOCK;
        run_frames(1);
        hold_keys({KEY_UP});
        run_frames(1, {KEY_UP});
        EXPECT_EQ(game.scroll_y, 2550 + 10 * blocks) << blocks << " blocks";
    }
}

Walker walker_at(int x, int y, int alive) {
    Walker w{};
    w.x = x, w.y = y, w.direction = DIR_DOWN, w.alive = alive;
    return w;
}

TEST_F(Blocks, LiftWalkersTouchingThemAliveOrDeadAndTurnThemSideways) {
    const struct { int dx, dy; bool lifted; } cases[] = {
        {1, -40, true}, {40, 40, true}, {0, 0, false}, {41, 0, false}, {1, -41, false}, {1, 41, false}};
    for (const auto &c : cases) {
        game.walkers[0] = walker_at(BX + c.dx, BY + c.dy, ALIVE);
        game.walkers[100] = walker_at(BX + c.dx, BY + c.dy, DESTROYED);
        step_block(COL, ROW);
        for (const Walker &w : {game.walkers[0], game.walkers[100]})
            EXPECT_TRUE(w.off_y == (c.lifted ? -5 : 0) && (w.direction != DIR_DOWN) == c.lifted) << c.dx << "," << c.dy;
    }
    std::set<int> seen;  // each lift re-seeds from the clock: within one second all turn the same way
    for (int seed = 0; seed < 20; ++seed) {
        pin_clock_seconds(seed);
        game.walkers[0] = game.walkers[100] = walker_at(BX + 1, BY, ALIVE);
        step_block(COL, ROW);
        EXPECT_EQ(game.walkers[0].direction, game.walkers[100].direction);
        seen.insert(game.walkers[0].direction);
    }
    EXPECT_EQ(seen, (std::set<int>{DIR_LEFT, DIR_RIGHT}));
}

TEST_F(Blocks, LiftAWalkerOutOfViewByItsLastStoredPositionEveryFrame) {
    game.grid[ROW][COL] = CELL_BLOCK;
    game.grid[100][10] = CELL_WALKER_FIRST + 4;  // far above the view: never updated
    game.walkers[4] = walker_at(110, 150, DESTROYED);
    for (int frame = 1; frame <= 3; ++frame) {
        step_world();
        EXPECT_EQ(game.walkers[4].off_y, -5 * frame);
        EXPECT_NE(game.walkers[4].direction, DIR_DOWN);
    }
}

}  // namespace
