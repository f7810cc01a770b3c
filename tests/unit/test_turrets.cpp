#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support.h"
#include "world/world.h"

namespace {

// The two kinds side by side; turret 3 of each, anchored at column 10, row 260: screen (100, 40).
struct Kind {
    Turret *turrets;
    TurretShot (*shots)[TURRET_SLOTS];
    void (*step)(int32_t, int32_t, int32_t);
    int dx, muzzle_x;
};
const Kind KINDS[] = {{game.right_turrets, game.right_turret_shots, step_right_turret, 2, 32},
                      {game.left_turrets, game.left_turret_shots, step_left_turret, -2, 0}};
constexpr int N = 3, COL = 10, ROW = 260;

class Turrets : public ::testing::Test {
protected:
    void SetUp() override {
        start_headless(MODE_PLAY);
        std::memset(game.grid, 0, sizeof game.grid);
        for (const Kind &k : KINDS) k.turrets[N].fire_interval = 1000;
    }
    void TearDown() override { stop_headless(); }
};

TEST_F(Turrets, OnlyFlyingShotsKillAndEachOneInsideCounts) {
    game.scoring_flag = SCORE_ON;
    for (const Kind &k : KINDS) {
        game.score.digit[1] = 0;
        sounds.clear();
        for (PlayerShot &s : game.player_shots) s = {SHOT_IDLE, 110, 60};
        k.step(N, COL, ROW);
        EXPECT_EQ(k.turrets[N].alive, ALIVE);
        // Corners just inside the 33 x 41 box at (100, 40), then two points just outside.
        game.player_shots[2] = {SHOT_FLYING, 101, 41};
        game.player_shots[7] = {SHOT_FLYING, 132, 80};
        game.player_shots[8] = {SHOT_FLYING, 133, 60};
        game.player_shots[9] = {SHOT_FLYING, 110, 81};
        k.step(N, COL, ROW);
        EXPECT_EQ(k.turrets[N].alive, DESTROYED);
        EXPECT_EQ(game.score.digit[1], 4);
        EXPECT_EQ(sounds.size(), 2u);
        // The explosion: frame 1 for 5 updates, 2..10 for 6 each, over after 60; it drifts with the keys.
        hold_keys({KEY_DOWN});
        for (int n = 1; n <= 65; ++n) {
            k.step(N, COL, ROW);
            EXPECT_EQ(k.turrets[N].explosion_frame, 1 + std::min(n, 60) / 6) << n;
            EXPECT_EQ(k.turrets[N].exploding, n < 60 ? ON : OFF) << n;
            EXPECT_EQ(k.turrets[N].explosion_y, 40 - 5 * std::min(n, 60)) << n;
        }
        hold_keys({});
    }
}

TEST_F(Turrets, ALiveTurretUnderTheShipHoldsTheClimb) {
    for (int alive : {ALIVE, DESTROYED}) {
        stop_headless();
        start_headless(MODE_PLAY);
        std::memset(game.grid, 0, sizeof game.grid);
        game.grid[25][15] = CELL_PLAYER;                   // ship at (150, 250)
        game.grid[279][13] = CELL_RIGHT_TURRET_FIRST + N;  // turret at (130, 230): the ship is in its 33 x 33 box
        game.right_turrets[N].fire_interval = 1000;
        game.right_turrets[N].alive = alive;
        run_frames(1);  // stores the ship's position, which the turret's earlier row reads next frame
        hold_keys({KEY_UP});
        run_frames(5, {KEY_UP});
        EXPECT_EQ(game.scroll_y, alive == ALIVE ? 2560 : 2510);
    }
}

TEST_F(Turrets, LeftFiringShotsMeetTheShipBeforeTheKeyDriftRightFiringOnesAfterOnlyInPlay) {
    // The ship's box is (100, 250) + 33 x 41. Every shot reaches (112, y0 + 1) before the drift.
    const struct { int kind; bool up; int x0, y0, mode, after; } cases[] = {
        {0, true, 110, 245, MODE_PLAY, MODE_TITLE}, {1, true, 114, 245, MODE_PLAY, MODE_PLAY},  // 246 misses, 251 hits
        {0, false, 110, 251, MODE_PLAY, MODE_PLAY}, {1, false, 114, 251, MODE_PLAY, MODE_TITLE}, // 252 hits, 247 misses
        {0, true, 110, 245, MODE_EDITOR, MODE_EDITOR}, {1, false, 114, 251, MODE_EDITOR, MODE_EDITOR},
    };
    for (const auto &c : cases) {
        const Kind &k = KINDS[c.kind];
        game.mode = c.mode, game.player_x = 100, game.player_y = 250;
        hold_keys({c.up ? KEY_UP : KEY_DOWN});
        k.shots[5][N] = {SHOT_FLYING, c.x0, c.y0};
        k.step(N, 20, ROW);  // the turret itself at (200, 40), clear of the ship
        EXPECT_EQ(k.shots[5][N].x, 112);
        EXPECT_EQ(game.mode, c.after) << c.kind << c.up << c.mode;
    }
}

TEST_F(Turrets, ShotsFlyDiagonallyUntilPastTheBottomOrTheRightEdge) {
    const struct { int kind, x0, y0, state; } cases[] = {
        {0, 300, 100, SHOT_FLYING}, {0, 318, 100, SHOT_FLYING}, {0, 319, 100, SHOT_IDLE}, {0, 100, 319, SHOT_FLYING},
        {0, 100, 320, SHOT_IDLE},   {1, 1, 100, SHOT_FLYING},   {1, -60, 319, SHOT_FLYING}, {1, 100, 320, SHOT_IDLE},
    };
    for (const auto &c : cases) {
        const Kind &k = KINDS[c.kind];
        TurretShot &s = k.shots[4][N];
        s = {SHOT_FLYING, c.x0, c.y0};
        k.step(N, COL, ROW);
        EXPECT_TRUE(s.x == c.x0 + k.dx && s.y == c.y0 + 1 && s.state == c.state) << c.kind << " " << c.x0 << "," << c.y0;
        if (c.state == SHOT_IDLE) {  // parked at the turret's edge again in its next update
            k.step(N, COL, ROW);
            EXPECT_TRUE(s.x == 100 + k.muzzle_x && s.y == 40 + 22) << s.x << "," << s.y;
        }
    }
}

TEST_F(Turrets, FireEveryIntervalPlusOneUpdatesThroughSlotsOneToNineteen) {
    for (const Kind &k : KINDS) {
        k.turrets[N].fire_interval = 1;
        for (int n = 1; n <= 42; ++n) {
            k.step(N, COL, ROW);
            for (int s = 0; s < SHOT_SLOTS; ++s) {
                EXPECT_EQ(k.shots[s][N].state == SHOT_FLYING, n % 2 == 0 && s == (n / 2 - 1) % 19 + 1) << n << " " << s;
                k.shots[s][N].state = SHOT_IDLE;
            }
        }
    }
}

// True when back_buffer at (x, y) looks like these sprites drawn on black in this order.
bool shows_layers(std::initializer_list<SpriteName> layers, int x, int y) {
    BITMAP *frame = game.back_buffer, *alone = create_bitmap(VIEW_W, VIEW_H);
    clear_bitmap(alone);
    game.back_buffer = alone;
    for (SpriteName name : layers) draw_sprite_region(name, x, y);
    game.back_buffer = frame;
    bool same = true;
    for (int yy = y; yy < y + TURRET_SIZE; ++yy)
        for (int xx = x; xx < x + TURRET_SIZE; ++xx) same = same && getpixel(frame, xx, yy) == getpixel(alone, xx, yy);
    destroy_bitmap(alone);
    return same;
}

TEST_F(Turrets, Code154IsRightTurretFiftyAndLeftTurretZeroDrawnOnTop) {
    game.grid[270][10] = 154;
    game.right_turrets[50].fire_interval = game.left_turrets[0].fire_interval = 0;
    step_world();
    EXPECT_TRUE(game.right_turrets[50].y == 140 && game.left_turrets[0].y == 140);
    EXPECT_EQ(game.right_turret_shots[1][50].state + game.left_turret_shots[1][0].state, 2 * SHOT_FLYING);
    EXPECT_TRUE(shows_layers({SPR_RIGHT_TURRET, SPR_LEFT_TURRET}, 100, 140));
    EXPECT_FALSE(shows_layers({SPR_LEFT_TURRET, SPR_RIGHT_TURRET}, 100, 140));  // the order can be seen
}

}  // namespace
