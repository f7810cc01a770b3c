#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "core/game_state.h"
#include "support/harness.h"
#include "support/pixels.h"
#include "support/shots.h"
#include "world/world.h"

namespace {

// Walker 7 (code 10) anchored at column 10, row 260: screen (100, 40) at the level's start.
constexpr int K = 7, COL = 10, ROW = 260;
Walker &w() { return game.walkers[K]; }
Shot &shot(int s) { return game.walker_shots[s][K]; }
void update(int col = COL, int row = ROW) { step_walker(K, col, row); }
void hold(bool up, bool down) { key[KEY_UP] = up; key[KEY_DOWN] = down; }

// Play on an empty grid; the walker heads right and holds its fire.
struct Walkers : ::testing::Test {
    void SetUp() override { start_test_game(MODE_PLAY); w().direction = DIR_RIGHT, w().fire_interval = 1000; }
    void TearDown() override { stop_test_game(); }
};

TEST_F(Walkers, EveryShotInsideTheBoxKillsAgainThenItDiesForSeventyTwoUpdatesAndItsWreckSlidesOff) {
    game.scoring_flag = SCORE_ON;
    // Two corners just inside the 33 x 41 box at (100, 40), four points just outside it.
    const int pts[6][2] = {{101, 41}, {132, 80}, {133, 60}, {100, 60}, {110, 81}, {110, 40}};
    for (int i = 0; i < 6; ++i) game.player_shots[i + 1] = {SHOT_FLYING, pts[i][0], pts[i][1]};
    shot(6) = {SHOT_FLYING, 30, 50};
    update();  // the kill; this update still moves the walker's shots
    EXPECT_EQ((std::pair{w().alive, game.score.digit[1]}), (std::pair{DESTROYED, 10}));
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ((std::pair{sounds[1].sample, sounds[1].play}), (std::pair{game.hit_sample, true}));
    hold(true, false);  // the animation drifts with the keys, the wreck does not
    for (int n = 1; n <= 80; ++n) {
        update();
        const int d = std::min(n, 72), r = std::min(n, 45);
        EXPECT_EQ((std::tuple{w().death_frame, w().dying, w().death_y}),
                  (std::tuple{1 + d / 6, n < 72 ? ON : OFF, 40 + 5 * d})) << "update " << n;
        EXPECT_EQ((std::tuple{w().wreck_x, w().wreck_y, w().wreck_active, w().wreck_frame}),
                  (std::tuple{100 + 5 * r, 40, n < 45 ? ON : OFF, 1 + r % 3})) << "update " << n;
    }
    EXPECT_EQ(shot(6), (Shot{SHOT_FLYING, 30, 55}));  // a dead walker's shots hang where they were
}

TEST_F(Walkers, IdleShotsAtTheShipsNoseKillOncePerSlot) {
    game.grid[25][15] = CELL_PLAYER;             // ship at (150, 250), its nose at (163, 240)
    game.grid[278][14] = CELL_WALKER_FIRST + K;  // walker at (140, 220), walked before the ship's row
    step_world();                                // the idle shots still lie at (0, 0) from the reset
    EXPECT_EQ(w().alive, ALIVE);
    step_world();
    EXPECT_EQ((std::pair{w().alive, game.score.digit[1]}), (std::pair{DESTROYED, 0}));  // no points: scoring is off
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
    w().off_y = -1;  // from y 319 it steps down to 320, and there stands still but still fires
    for (int n = 0; n < 4; ++n) update(COL, 288);
    EXPECT_EQ((std::pair{w().off_y, w().next_slot}), (std::pair{0, 5}));
}

TEST_F(Walkers, ShotsFallFiveHitTheShipOnlyInPlayThenDriftWithTheKeysAndShowOnceMoreAsTheyLeave) {
    // The ship's box is (100, 250) + 33 x 41. A shot falls 5, leaves once below 320, is
    // tested against the ship, then drifts 5 with Up and -5 with Down.
    const struct { int x, y0; bool up, down; int y1, mode = MODE_PLAY, after = MODE_PLAY; } cases[] = {
        {101, 246, false, false, 251, MODE_PLAY, MODE_TITLE}, {101, 246, false, false, 251, MODE_EDITOR, MODE_EDITOR},
        {132, 281, false, true, 281, MODE_PLAY, MODE_TITLE}, {133, 260, false, false, 265},
        {101, 245, true, false, 255}, {101, 286, false, true, 286},  // 250 and 291 when tested
        {50, 100, false, false, 105}, {50, 100, false, true, 100}, {50, 100, true, false, 110},
        {50, 100, true, true, 105}, {50, 315, false, false, 320}, {50, 316, false, false, 321},
        {50, 316, false, true, 316}};  // leaves in this update, and is shown there once more
    for (const auto &c : cases) {
        game.mode = c.mode, game.player_x = 100, game.player_y = 250;
        hold(c.up, c.down);
        shot(3) = {SHOT_FLYING, c.x, c.y0};
        clear_bitmap(game.back_buffer);
        update();
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y0 << " up " << c.up << " down " << c.down);
        EXPECT_EQ(shot(3), (Shot{c.y0 + 5 > 320 ? SHOT_IDLE : SHOT_FLYING, c.x, c.y1}));
        EXPECT_EQ(game.mode, c.after);
        EXPECT_EQ(static_cast<bool>(shows_sprite(SPR_SHOT, c.x, c.y1)), c.y1 < VIEW_H);
    }
    clear_bitmap(game.back_buffer);
    update();  // parked below the walker's feet again, after this update's step, and not shown
    EXPECT_EQ(shot(3), (Shot{SHOT_IDLE, COL * 10 + w().off_x + 12, ROW * 10 + w().off_y - game.scroll_y + 40}));
    EXPECT_FALSE(any_drawn(50, 300, 5, 20));
}

TEST_F(Walkers, BounceOffTheMarginsInwardsAndAway) {
    // Stored x 9 and 281 bounce 10 pixels inwards and turn away or down; 10 and 280 walk on.
    const struct { int col, off_x, dir, off_x_after, never; } cases[] = {{0, 9, DIR_LEFT, 18, DIR_LEFT},
        {1, 0, DIR_LEFT, -1, 0}, {28, 1, DIR_RIGHT, -8, DIR_RIGHT}, {28, 0, DIR_RIGHT, 1, 0}};
    for (const auto &c : cases) {
        std::set<int> seen;
        for (int n = 0; n < 8; ++n) {  // the draws go on from the reset's, the same in every run
            w().off_x = c.off_x, w().direction = c.dir;
            update(c.col, ROW);
            EXPECT_EQ(w().off_x, c.off_x_after) << c.col;
            seen.insert(w().direction);
        }
        EXPECT_EQ(seen, (c.never ? std::set<int>{DIR_LEFT + DIR_RIGHT - c.never, DIR_DOWN} : std::set<int>{c.dir}));
    }
}

}  // namespace
