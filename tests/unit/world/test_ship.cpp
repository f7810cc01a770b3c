#include "support/harness.h"

// The margins test the position from before their correction, strictly past
// 280 and 10; the corrected offset is drawn and parks the idle shots in the same
// frame. A shot turning idle above y 5 is still drawn where it stopped.
TEST(ShipMargins, CorrectOnlyStrictlyPastEitherSideWhileShotsIdleAboveTheTop) {
    const struct { int off_x, player_x, off_after; } cases[] = {
        {131, 281, 126}, {130, 280, 130}, {-140, 10, -140}, {-141, 9, -136}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "player_off_x " << c.off_x);
        const Running play(MODE_PLAY);
        game.ship_frame = 1;
        game.player_off_x = c.off_x;
        game.player_shots[3] = {SHOT_FLYING, 180, 9};  // between the score line and the banner
        game.player_shots[4] = {SHOT_FLYING, 200, 10};
        run_frames(1);
        EXPECT_EQ((std::tuple{game.player_x, game.player_off_x, game.player_shots[0].x}),
                  (std::tuple{c.player_x, c.off_after, 150 + c.off_after + 13}));
        EXPECT_TRUE(shows_sprite(SPR_SHIP_1, 150 + c.off_after, 250));
        EXPECT_EQ((std::pair{game.player_shots[3], game.player_shots[4]}), (std::pair{Shot{SHOT_IDLE, 180, 4}, Shot{SHOT_FLYING, 200, 5}}));
        EXPECT_TRUE(shows_sprite(SPR_SHOT, 180, 4)) << "the shot that went idle";
        EXPECT_TRUE(shows_sprite(SPR_SHOT, 200, 5));
    }
}
