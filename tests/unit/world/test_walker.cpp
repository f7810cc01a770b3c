#include "support/harness.h"

// Walker 7 (code 10) anchored at column 10, row 260: screen (100, 40) at the level's start.
constexpr int K = 7, COL = 10, ROW = 260;
static Walker &w() { return game.walkers[K]; }
static Shot &shot(int s) { return game.walker_shots[s][K]; }
static void update(int col = COL, int row = ROW) { step_walker(K, col, row); }

// Play on an empty grid; the walker heads right and holds its fire.
struct Walkers : GameIn<MODE_PLAY> {
    void SetUp() override { GameIn::SetUp(), w().direction = DIR_RIGHT, w().fire_interval = 1000; }
};

// Every player shot inside the 33 x 41 box kills, idle or flying, each once more.
TEST_F(Walkers, EveryShotInsideTheBoxKillsThenItDiesForSeventyTwoUpdatesAndItsWreckSlidesOff) {
    game.scoring_flag = ON;
    const int F = SHOT_FLYING, pts[6][3] = {{SHOT_IDLE, 101, 41}, {F, 132, 80}, {F, 133, 60}, {F, 100, 60}, {F, 110, 81}, {F, 110, 40}};
    for (int i = 0; i < 6; ++i) game.player_shots[i + 1] = {pts[i][0], pts[i][1], pts[i][2]};
    shot(6) = {SHOT_FLYING, 30, 50};
    update();  // the kill; this update still moves the walker's shots
    EXPECT_EQ((std::tuple{w().alive, game.score.digit[1], sounds.size()}), (std::tuple{DESTROYED, 10, 2u}));
    hold_keys({KEY_UP});  // the animation drifts with the keys, the wreck does not
    for (int n = 1; n <= 80; ++n) {
        update();
        const int d = std::min(n, 72), r = std::min(n, 45);
        EXPECT_EQ((std::tuple{w().dying, w().death_y, w().wreck_x, w().wreck_y, w().wreck_active, w().wreck_frame}),
                  (std::tuple{n < 72 ? ON : OFF, 40 + 5 * d, 100 + 5 * r, 40, n < 45 ? ON : OFF, 1 + r % 3})) << n;
    }
    EXPECT_EQ(shot(6), (Shot{SHOT_FLYING, 30, 55}));  // a dead walker's shots hang where they were
}

TEST_F(Walkers, FireAsTheyWalkAndStillFireStoppedAtTheBottom) {
    w().fire_interval = 0, w().direction = DIR_DOWN, w().off_y = -1;  // from y 319 it steps to 320 and stands
    for (int n = 0; n < 4; ++n) update(COL, 288);
    EXPECT_EQ((std::pair{w().off_y, w().next_slot}), (std::pair{0, 5}));
}

// A shot falls 5, leaves once below 320, is tested against the ship's box at
// (100, 250), then drifts 5 with Up and -5 with Down.
TEST_F(Walkers, ShotsFallFiveMeetTheShipThenDriftWithTheKeysAndShowOnceMoreAsTheyLeave) {
    const struct { int x, y0, key, y1, after = MODE_PLAY; } cases[] = {{101, 246, 0, 251, MODE_TITLE},
        {132, 281, KEY_DOWN, 281, MODE_TITLE}, {101, 245, KEY_UP, 255}, {101, 286, KEY_DOWN, 286},
        {50, 100, KEY_UP, 110}, {50, 315, 0, 320}, {50, 316, 0, 321}, {50, 316, KEY_DOWN, 316}};
    for (const auto &c : cases) {
        game.mode = MODE_PLAY, game.player_x = 100, game.player_y = 250;
        hold_keys({c.key});
        shot(3) = {SHOT_FLYING, c.x, c.y0};
        clear_bitmap(game.back_buffer);
        update();
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y0 << " key " << c.key);
        EXPECT_EQ((std::pair{shot(3), game.mode}), (std::pair{Shot{c.y0 + 5 > 320 ? SHOT_IDLE : SHOT_FLYING, c.x, c.y1}, c.after}));
        EXPECT_EQ(static_cast<bool>(shows_sprite(SPR_SHOT, c.x, c.y1)), c.y1 < VIEW_H);
    }
    clear_bitmap(game.back_buffer);
    update();  // parked below the walker's feet again, after this update's step, and not shown
    EXPECT_EQ(shot(3), (Shot{SHOT_IDLE, COL * 10 + w().off_x + 12, ROW * 10 + w().off_y - game.scroll_y + 40}));
    EXPECT_FALSE(any_drawn(50, 300, 5, 20));
}

// Stored x 9 and 281 bounce 10 pixels inwards and turn away or down; 10 and 280 walk on.
TEST_F(Walkers, BounceOffTheMarginsInwardsAndAway) {
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
