#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <random>
#include <utility>

#include "level/level.h"
#include "reset/reset.h"
#include "shell/clock.h"
#include "shell/random.h"
#include "support.h"
#include "world/world.h"

namespace {

int32_t level_grid[LEVEL_COUNT + 1][GRID_ROWS][GRID_COLS];

// Built-in level n as load_level leaves it in an otherwise empty grid.
const int32_t (&built_in(int n))[GRID_ROWS][GRID_COLS] {
    std::memset(game.grid, 0, sizeof game.grid);
    load_level(n);
    std::memcpy(level_grid[n], game.grid, sizeof game.grid);
    return level_grid[n];
}

// After the re-seed the draws come as: each walker's heading and interval,
// then the right turrets' intervals, then the left turrets': 304 in all.
TEST(WorldReset, DrawsEveryRandomValueInOrderFromTheClockSecond) {
    start_headless(MODE_TITLE);
    game.mode = MODE_PLAY;
    for (int64_t second : {1234567, 1234567, 1234568}) {
        pin_clock_seconds(second);
        std::memset(game.walkers, 0, sizeof game.walkers);
        reset_world();
        std::mt19937 g(static_cast<std::mt19937::result_type>(second));
        auto r = [&] { return g() / 4294967296.0; };
        for (int k = 0; k < WALKER_SLOTS; ++k) {
            EXPECT_EQ(game.walkers[k].direction, static_cast<int>(std::floor(r() * 3)) + 1) << k;
            EXPECT_EQ(game.walkers[k].fire_interval, static_cast<int>(std::floor(r() * 90)) + 30) << k;
        }
        for (Turret *t : {game.right_turrets, game.left_turrets})
            for (int l = 0; l < TURRET_SLOTS; ++l)
                EXPECT_EQ(t[l].fire_interval, std::max(50, static_cast<int>(std::floor(r() * 300)) + 1)) << l;
        EXPECT_EQ(next_random(), r()) << "no draw beyond the 304th";
    }
    stop_headless();
}

// Every field of every slot is written, slot 0 and the last ones included: a
// reset over garbage ends exactly as a reset over zeros, except the walkers'
// death_frame, which is left for the next kill to set.
TEST(WorldReset, BringsBackEveryTableToItsStartState) {
    static GameState from_zero, from_garbage;
    start_headless(MODE_TITLE);
    game.mode = MODE_PLAY;
    const size_t tables = offsetof(GameState, cursor_off_x) - offsetof(GameState, player_shots);
    for (int fill : {0, 7}) {
        std::memset(static_cast<void *>(game.player_shots), fill, tables);
        game.player_off_x = game.player_off_y = game.ship_frame = fill;
        game.move_timer = game.fire_timer = game.next_shot = fill;
        reset_world();
        std::memcpy(static_cast<void *>(fill ? &from_garbage : &from_zero), &game, sizeof game);
    }
    for (Walker &w : from_garbage.walkers) EXPECT_EQ(std::exchange(w.death_frame, 0), 0x07070707);
    const size_t player_and_tables = offsetof(GameState, cursor_off_x) - offsetof(GameState, player_off_x);
    EXPECT_EQ(std::memcmp(&from_zero.player_off_x, &from_garbage.player_off_x, player_and_tables), 0);

    const GameState &g = from_zero;
    EXPECT_EQ(g.next_shot, 1);
    EXPECT_EQ(g.ship_frame, SHIP_NO_FRAME);
    const Walker &w = g.walkers[100];
    EXPECT_TRUE(w.alive == ALIVE && w.dying == OFF && w.wreck_active == OFF && w.wreck_frame == 1 && w.next_slot == 1);
    const Turret &t = g.left_turrets[50];
    EXPECT_TRUE(t.alive == ALIVE && t.exploding == OFF && t.explosion_frame == 1 && t.next_slot == 1);
    EXPECT_EQ(g.right_turret_shots[0][0].state, SHOT_IDLE);
    stop_headless();
}

// Only a reset on the title screen starts a new game; the level end and the
// start-up reset leave the level, its number and the score alone.
TEST(WorldReset, OnlyTheTitleScreenResetLoadsLevelTwoAndClearsTheScore) {
    for (int mode : {MODE_NONE, MODE_PLAY, MODE_TITLE}) {
        start_headless(MODE_TITLE);
        const auto &level2 = built_in(2);
        const auto &level4 = built_in(4);
        game.mode = mode;
        game.level_number = 4;
        game.score.digit[3] = 6;
        set_scroll_y(700);
        reset_world();
        const bool title = mode == MODE_TITLE;
        EXPECT_EQ(game.level_number, title ? 2 : 4) << "mode " << mode;
        EXPECT_EQ(game.score.digit[3], title ? 0 : 6) << "mode " << mode;
        EXPECT_EQ(std::memcmp(game.grid, title ? level2 : level4, sizeof game.grid), 0) << "mode " << mode;
        EXPECT_EQ(game.mode, mode);
        EXPECT_EQ(game.scroll_y, 700);
        stop_headless();
    }
}

// The level ends once the view is at row 10 or above it (a push can carry it
// past 10); the next level then starts at its bottom, and 5 wraps to 2.
TEST(LevelProgress, TheTopOfALevelBringsTheNextFromItsBottom) {
    const struct { int level, top_row, next; } cases[] = {
        {2, 10, 3}, {3, 10, 4}, {4, 10, 5}, {5, 10, 2}, {3, 7, 4}, {4, -500, 5}, {3, 11, 3}};
    for (const auto &c : cases) {
        const auto &next = built_in(c.next);
        start_empty_play();
        game.level_number = c.level;
        game.score.digit[2] = 4;
        game.ship_frame = 1;
        set_scroll_y(c.top_row * 10);
        const bool in_grid = c.top_row + 12 >= 0;  // a block of the old level at (50, 120) on the screen
        if (in_grid) game.grid[c.top_row + 12][5] = CELL_BLOCK;
        run_frames(1);
        if (in_grid) {
            EXPECT_TRUE(shows_sprite(SPR_BLOCK, 50, 120)) << "the old level is still drawn in this frame";
        }
        EXPECT_EQ(game.level_number, c.next) << c.level << " at row " << c.top_row;
        EXPECT_EQ(game.score.digit[2], 4);
        EXPECT_EQ(game.mode, MODE_PLAY);
        if (c.next == c.level) {
            EXPECT_EQ(game.scroll_y, 110);
        } else {
            EXPECT_EQ(game.scroll_y, 2560);
            EXPECT_EQ(game.top_row, 256);
            EXPECT_EQ(game.ship_frame, SHIP_NO_FRAME);
            EXPECT_EQ(std::memcmp(game.grid, next, sizeof game.grid), 0);
        }
        stop_headless();
    }
}

TEST(LevelProgress, TheEditorNeverEndsALevel) {
    start_headless(MODE_EDITOR);
    set_scroll_y(100);
    run_frames(3);
    EXPECT_EQ(game.scroll_y, 100);
    EXPECT_EQ(game.level_number, 2);
    stop_headless();
}

}  // namespace
