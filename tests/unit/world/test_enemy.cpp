#include "support/harness.h"

// The rules walkers and turrets share, tested once here. Each kind's own tests
// try only that it applies them.
using Enemies = GameIn<MODE_PLAY>;

TEST_F(Enemies, FireEveryIntervalPlusOneUpdatesThroughSlotsOneToNineteen) {
    int32_t count = 0, next = ENEMY_FIRST_SLOT;
    for (int n = 1; n <= 4 * 40; ++n)
        EXPECT_EQ(slot_to_fire(count, 3, next).value_or(0), n % 4 ? 0 : (n / 4 - 1) % 19 + 1) << "update " << n;
}

// The ship's box is (100, 250) + 33 x 41, its edges outside it.
TEST_F(Enemies, AShotStrictlyInsideTheShipsBoxEndsPlayAndOnlyPlay) {
    game.player_x = 100, game.player_y = 250;
    const struct { int x, y; bool in; } cases[] = {{101, 251, true}, {132, 290, true}, {100, 260, false},
        {133, 260, false}, {110, 250, false}, {110, 291, false}};
    for (const auto &c : cases)
        for (int mode : {MODE_PLAY, MODE_EDITOR}) {
            game.mode = mode;
            hit_ship_if_touched(Shot{SHOT_FLYING, c.x, c.y});
            EXPECT_EQ((std::pair{in_ship_hit_box(c.x, c.y), game.mode}),
                      (std::pair{c.in, c.in && mode == MODE_PLAY ? MODE_TITLE : mode})) << c.x << "," << c.y;
        }
}

// Frame 1 shows for 5 updates, the later ones for 6; the step past the last ends it.
TEST_F(Enemies, AnAnimationStepsEverySixthUpdateAfterTheFirstFiveAndEndsPastItsLastFrame) {
    for (int last : {EXPLOSION_FRAMES, DEATH_FRAMES}) {
        int32_t tick = 0, frame = 1, active = ON, n = 0;
        while (active == ON && n < 100) {
            advance_animation(tick, frame, active, last);
            EXPECT_EQ(frame, 1 + ++n / 6);
        }
        EXPECT_EQ(n, 6 * last);
    }
}

TEST_F(Enemies, AKillScoresItsPointsOnTheTensWhenPointsCountAndSoundsEitherWay) {
    for (int flag : {ON, OFF}) {
        game.scoring_flag = flag, game.score.digit[1] = 3;
        score_kill(5);
        EXPECT_EQ(game.score.digit[1], flag == ON ? 8 : 3);
    }
    ASSERT_EQ(sounds.size(), 2u);
    for (const SoundCall &c : sounds)
        EXPECT_EQ((std::tuple{c.sample, c.play, c.pan, c.loop}), (std::tuple{game.hit_sample, true, 20, 0}));
}
