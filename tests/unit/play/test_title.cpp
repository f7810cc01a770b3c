#include "support/harness.h"

// The cycle runs ..., 900, 0, 1, ...; a band's edge keeps the band before it.
TEST(TitleScreen, BandsAtTheirEdgesAndTheWrap) {
    const Running title(MODE_TITLE);
    const std::pair<int, int> edges[] = {{300, 1}, {301, 2}, {500, 2}, {501, 1}, {700, 1}, {701, 2}, {900, 2}, {0, 1}};
    for (auto [seen, picture] : edges) {
        game.title_frame = seen == 0 ? 900 : seen - 1;
        run_frames(1);
        EXPECT_EQ(game.title_frame, seen);
        EXPECT_TRUE(shows_sprite(picture == 1 ? SPR_TITLE_1 : SPR_TITLE_2, 0, 0, 8)) << seen;
    }
}
