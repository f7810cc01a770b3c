#include "support/harness.h"

// The two kinds side by side; turret 3 of each, anchored at column 10, row 260: screen (100, 40).
// dx is a flying shot's sideways step, muzzle_x where an idle one waits, from the turret's left edge.
struct Kind { Turret *turrets; Shot (*shots)[TURRET_SLOTS]; decltype(&step_left_turret) step; int dx, muzzle_x; };
static const Kind KINDS[] = {{game.right_turrets, game.right_turret_shots, step_right_turret, 2, 32},
                             {game.left_turrets, game.left_turret_shots, step_left_turret, -2, 0}};
constexpr int N = 3, COL = 10, ROW = 260;

// Play on an empty grid; the two turrets hold their fire.
struct Turrets : GameIn<MODE_PLAY> {
    void SetUp() override { GameIn::SetUp(); for (const Kind &k : KINDS) k.turrets[N].fire_interval = 1000; }
};

// Flying player shots inside the 33 x 41 box kill, each once more; idle ones do not.
TEST_F(Turrets, FlyingShotsInsideTheBoxKillThemAndTheExplosionDriftsWithTheKeys) {
    game.scoring_flag = ON;
    for (const Kind &k : KINDS) {
        Turret &t = k.turrets[N];
        game.score.digit[1] = 0, sounds.clear(), hold_keys({});
        const int F = SHOT_FLYING, pts[5][4] = {{2, F, 101, 41}, {7, F, 132, 80}, {8, F, 133, 60}, {9, F, 110, 81}, {10, SHOT_IDLE, 110, 60}};
        for (const auto &p : pts) game.player_shots[p[0]] = {p[1], p[2], p[3]};
        k.step(N, COL, ROW);
        EXPECT_EQ((std::tuple{t.alive, game.score.digit[1], sounds.size()}), (std::tuple{DESTROYED, 4, 2u}));
        hold_keys({KEY_DOWN});
        for (int n = 1; n <= 65; ++n) {
            k.step(N, COL, ROW);
            EXPECT_EQ((std::pair{t.exploding, t.explosion_y}), (std::pair{n < 60 ? ON : OFF, 40 - 5 * std::min(n, 60)}));
        }
    }
}

// The ship's corner is pushed back while strictly inside the 33 x 33 box at (100, 40); the
// right-firing turret is tried with Left and Up held, the left-firing one with Right and Down.
TEST_F(Turrets, OnlyALiveOneHoldsTheShipBackAndOnlyWithinItsReach) {
    const struct { int dx, dy, alive; bool pushes; } cases[] = {{32, 32, ALIVE, true}, {1, 1, ALIVE, true},
        {33, 16, ALIVE, false}, {16, 0, ALIVE, false}, {16, 16, DESTROYED, false}};
    for (int kind = 0; kind < 2; ++kind)
        for (const auto &c : cases) {
            set_scroll_y(2560);
            game.player_off_x = 0, game.player_x = 100 + c.dx, game.player_y = 40 + c.dy;
            KINDS[kind].turrets[N].alive = c.alive;
            hold_keys({kind ? KEY_RIGHT : KEY_LEFT, kind ? KEY_DOWN : KEY_UP});
            KINDS[kind].step(N, COL, ROW);
            const int push = !c.pushes ? 0 : kind ? -10 : 10;
            EXPECT_EQ((std::pair{game.player_off_x, game.scroll_y}), (std::pair{push, 2560 + push})) << kind << " " << c.dx << "," << c.dy;
        }
}

TEST_F(Turrets, ShotsFlyDiagonallyUntilPastTheBottomOrTheRightEdgeThenWaitAtTheMuzzle) {
    const struct { int kind, x0, y0, state; } cases[] = {{0, 318, 100, SHOT_FLYING}, {0, 319, 100, SHOT_IDLE},
        {0, 100, 319, SHOT_FLYING}, {0, 100, 320, SHOT_IDLE}, {1, 1, 100, SHOT_FLYING}, {1, -60, 319, SHOT_FLYING},
        {1, 100, 320, SHOT_IDLE}};
    for (const auto &c : cases) {
        const Kind &k = KINDS[c.kind];
        Shot &s = k.shots[4][N];
        s = {SHOT_FLYING, c.x0, c.y0};
        k.step(N, COL, ROW);
        EXPECT_EQ(s, (Shot{c.state, c.x0 + k.dx, c.y0 + 1})) << "kind " << c.kind;
        if (c.state == SHOT_FLYING) continue;
        k.step(N, COL, ROW);  // one that has left is parked at the turret's edge again in the next update
        EXPECT_EQ((std::pair{s.x, s.y}), (std::pair{100 + k.muzzle_x, 40 + 22})) << "kind " << c.kind;
    }
}

// The turret-sized square of back_buffer at (100, 140), pixel by pixel.
static std::vector<int> square() {
    std::vector<int> v;
    for (int i = 0; i < 32 * 32; ++i) v.push_back(getpixel(game.back_buffer, 100 + i % 32, 140 + i / 32));
    return v;
}

TEST_F(Turrets, Code154IsRightTurretFiftyAndLeftTurretZeroDrawnOnTop) {
    game.grid[270][10] = 154;
    step_world();
    EXPECT_EQ((std::pair{game.right_turrets[50].y, game.left_turrets[0].y}), (std::pair{140, 140}));
    const std::vector<int> seen = square();
    draw_sprite_region(SPR_LEFT_TURRET, 100, 140);  // already drawn last: nothing changes
    EXPECT_EQ(square(), seen);
    draw_sprite_region(SPR_RIGHT_TURRET, 100, 140);  // and the order can be seen
    EXPECT_NE(square(), seen);
}
