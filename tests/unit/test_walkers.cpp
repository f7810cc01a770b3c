#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "shell/clock.h"
#include "shell/random.h"
#include "support.h"
#include "world/world.h"

namespace {

// Walker 7 (code 10) anchored at column 10, row 260: screen (100, 40) at the level's start.
constexpr int K = 7, COL = 10, ROW = 260;
Walker &w() { return game.walkers[K]; }
WalkerShot &shot(int s) { return game.walker_shots[s][K]; }
void update(int col = COL, int row = ROW) { step_walker(K, col, row); }
void hold(bool up, bool down) {
    key[KEY_UP] = up;
    key[KEY_DOWN] = down;
}

class Walkers : public ::testing::Test {
protected:
    void SetUp() override {
        start_headless(MODE_PLAY);
        std::memset(game.grid, 0, sizeof game.grid);
        w().direction = DIR_RIGHT;
        w().fire_interval = 1000;
    }
    void TearDown() override { stop_headless(); }
};

TEST_F(Walkers, EveryShotInsideTheBoxKillsAgainWithItsSoundAndPoints) {
    for (int flag : {SCORE_OFF, SCORE_ON}) {
        w().alive = ALIVE, w().off_x = 0, game.score.digit[1] = 0, game.scoring_flag = flag;
        sounds.clear();
        // Two corners just inside the 33 x 41 box at (100, 40), four points just outside it.
        const int pts[6][2] = {{101, 41}, {132, 80}, {133, 60}, {100, 60}, {110, 81}, {110, 40}};
        for (int i = 0; i < 6; ++i) game.player_shots[i + 1] = {SHOT_FLYING, pts[i][0], pts[i][1]};
        update();
        EXPECT_EQ(w().alive, DESTROYED);
        EXPECT_EQ(game.score.digit[1], flag == SCORE_ON ? 10 : 0);
        ASSERT_EQ(sounds.size(), 2u);
        for (const SoundCall &c : sounds)
            EXPECT_TRUE(c.play && c.sample == game.hit_sample && c.vol == 255 && c.pan == 20 && c.freq == 1000 && !c.loop);
        EXPECT_TRUE(w().death_x == 100 && w().death_y == 40 && w().wreck_x == 100 && w().wreck_y == 40);
    }
}

TEST_F(Walkers, IdleShotsAtTheShipsNoseKillOncePerSlot) {
    game.grid[25][15] = CELL_PLAYER;             // ship at (150, 250), its nose at (163, 240)
    game.grid[278][14] = CELL_WALKER_FIRST + K;  // walker at (140, 220), walked before the ship's row
    step_world();                                // the idle shots still lie at (0, 0) from the reset
    EXPECT_EQ(w().alive, ALIVE);
    step_world();
    EXPECT_EQ(w().alive, DESTROYED);
    EXPECT_EQ(sounds.size(), static_cast<size_t>(SHOT_SLOTS));
}

TEST_F(Walkers, FireEveryIntervalPlusOneUpdatesThroughSlotsOneToNineteenAlsoStoppedAtTheBottom) {
    w().fire_interval = 3, w().direction = DIR_DOWN;
    for (int n = 1; n <= 88; ++n) {
        update();
        for (int s = 0; s < SHOT_SLOTS; ++s) {
            EXPECT_EQ(shot(s).state == SHOT_FLYING, n % 4 == 0 && s == (n / 4 - 1) % 19 + 1) << n << " " << s;
            shot(s).state = SHOT_IDLE;
        }
    }
    w().off_y = 0;  // at y 320 a walker heading down stands still but still fires
    for (int n = 0; n < 4; ++n) update(COL, 288);
    EXPECT_EQ(w().off_y, 0);
    EXPECT_EQ(w().next_slot, 5);
    w().off_y = -1;  // from y 319 it still steps down
    update(COL, 288);
    EXPECT_EQ(w().off_y, 0);
}

TEST_F(Walkers, ShotsFallFiveDriftWithTheKeysAndShowOnceMoreAsTheyLeave) {
    const struct { int y0; bool up, down; int y1, state; } cases[] = {
        {100, false, false, 105, SHOT_FLYING}, {100, false, true, 100, SHOT_FLYING}, {100, true, false, 110, SHOT_FLYING},
        {100, true, true, 105, SHOT_FLYING},   {315, false, false, 320, SHOT_FLYING}, {316, false, false, 321, SHOT_IDLE},
        {316, false, true, 316, SHOT_IDLE},  // ends in the crossing update, shown there once more
    };
    for (const auto &c : cases) {
        hold(c.up, c.down);
        shot(3) = {SHOT_FLYING, 50, c.y0};
        clear_bitmap(game.back_buffer);
        update();
        EXPECT_EQ(shot(3).y, c.y1) << c.y0 << c.up << c.down;
        EXPECT_EQ(shot(3).state, c.state) << c.y0 << c.up << c.down;
        EXPECT_EQ(shows_sprite(SPR_SHOT, 50, c.y1), c.y1 < VIEW_H) << c.y0 << c.up << c.down;
    }
    hold(false, false);
    w().direction = DIR_DOWN;
    clear_bitmap(game.back_buffer);
    update();  // parked below the walker's feet again, after this update's step, and not shown
    EXPECT_EQ(shot(3).x, COL * 10 + w().off_x + 12);
    EXPECT_EQ(shot(3).y, ROW * 10 + w().off_y - game.scroll_y + 40);
    EXPECT_FALSE(any_drawn(50, 300, 5, 20));
}

TEST_F(Walkers, AShotOnTheShipEndsOnlyAGameInPlay) {
    // The ship's box is (100, 250) + 33 x 41; the shot falls 5, is tested, then drifts.
    const struct { int mode, x, y0; bool up, down; int after; } cases[] = {
        {MODE_PLAY, 101, 246, false, false, MODE_TITLE}, {MODE_EDITOR, 101, 246, false, false, MODE_EDITOR},
        {MODE_PLAY, 132, 281, false, true, MODE_TITLE},  {MODE_PLAY, 133, 260, false, false, MODE_PLAY},
        {MODE_PLAY, 101, 245, true, false, MODE_PLAY},   // 250 when tested, 255 only afterwards
        {MODE_PLAY, 101, 286, false, true, MODE_PLAY},   // 291 when tested, 286 only afterwards
    };
    for (const auto &c : cases) {
        game.mode = c.mode, game.player_x = 100, game.player_y = 250;
        hold(c.up, c.down);
        shot(2) = {SHOT_FLYING, c.x, c.y0};
        update();
        EXPECT_EQ(game.mode, c.after) << c.x << "," << c.y0;
    }
}

TEST_F(Walkers, BounceOffTheMarginsInwardsAndAway) {
    // Stored x 9 and 281 bounce 10 pixels inwards and turn away or down; 10 and 280 walk on.
    const struct { int col, off_x, dir, off_x_after, never; } cases[] = {
        {0, 9, DIR_LEFT, 18, DIR_LEFT}, {1, 0, DIR_LEFT, -1, 0}, {28, 1, DIR_RIGHT, -8, DIR_RIGHT}, {28, 0, DIR_RIGHT, 1, 0}};
    for (const auto &c : cases) {
        std::set<int> seen;
        for (int seed = 0; seed < 30; ++seed) {
            pin_clock_seconds(seed);
            reseed_random();
            w().off_x = c.off_x, w().direction = c.dir;
            update(c.col, ROW);
            EXPECT_EQ(w().off_x, c.off_x_after) << c.col;
            seen.insert(w().direction);
        }
        EXPECT_EQ(seen, (c.never ? std::set<int>{DIR_LEFT + DIR_RIGHT - c.never, DIR_DOWN} : std::set<int>{c.dir}));
    }
}

TEST_F(Walkers, DeathAnimationRunsSeventyTwoUpdatesAndTheWreckSlidesOff) {
    game.player_shots[4] = {SHOT_FLYING, 110, 60};
    shot(6) = {SHOT_FLYING, 30, 50};
    update();  // the kill; this update still moves the shots
    game.player_shots[4] = {SHOT_IDLE, 0, 0};
    const int shot_y = shot(6).y;
    hold(true, false);  // the animation drifts with the keys, the wreck does not
    for (int n = 1; n <= 80; ++n) {
        update();
        EXPECT_EQ(w().death_frame, 1 + std::min(n, 72) / 6) << n;
        EXPECT_EQ(w().dying, n < 72 ? ON : OFF) << n;
        EXPECT_EQ(w().death_y, 40 + 5 * std::min(n, 72)) << n;
        EXPECT_EQ(w().wreck_x, 100 + 5 * std::min(n, 45)) << n;
        EXPECT_EQ(w().wreck_active, n < 45 ? ON : OFF) << n;
        EXPECT_EQ(w().wreck_frame, 1 + std::min(n, 45) % 3) << n;
        EXPECT_EQ(w().wreck_y, 40);
    }
    EXPECT_EQ(shot(6).state, SHOT_FLYING);  // a dead walker's shots hang where they were
    EXPECT_EQ(shot(6).y, shot_y);
}

}  // namespace
