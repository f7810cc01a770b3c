#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "core/game_state.h"
#include "shell/shell.h"
#include "support/harness.h"
#include "support/pixels.h"

// The cycle runs ..., 900, 0, 1, ...; a band's edge keeps the band before it.
TEST(TitleScreen, BandsAtTheirEdgesAndTheWrap) {
    start_test_game(MODE_TITLE);
    const std::pair<int, int> edges[] = {{300, 1}, {301, 2}, {500, 2}, {501, 1}, {700, 1}, {701, 2}, {900, 2}, {0, 1}};
    for (auto [seen, picture] : edges) {
        game.title_frame = seen == 0 ? 900 : seen - 1;
        run_frames(1);
        EXPECT_EQ(game.title_frame, seen);
        EXPECT_TRUE(shows_sprite(picture == 1 ? SPR_TITLE_1 : SPR_TITLE_2, 0, 0, 8)) << seen;
    }
    stop_test_game();
}

// The picture shows on the title only. The title starts the looping music
// once, so it plays on when a game ends; play leaves it alone and the editor
// stops it in every frame.
TEST(TitleScreen, PictureAndMusicAsTheModeWants) {
    for (int mode : {MODE_TITLE, MODE_PLAY, MODE_EDITOR}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        start_in_mode(mode);
        run_frames(2);
        EXPECT_EQ(static_cast<bool>(shows_sprite(SPR_TITLE_1, 0, 0, 8)), mode == MODE_TITLE);
        EXPECT_EQ(sounds.size(), mode == MODE_EDITOR ? 2u : mode == MODE_TITLE ? 1u : 0u);
        for (const SoundCall &c : sounds)
            EXPECT_EQ((std::pair{c.sample, c.play}), (std::pair{game.music_sample, mode == MODE_TITLE}));
        if (mode == MODE_TITLE) {
            EXPECT_EQ((std::tuple{sounds[0].vol, sounds[0].pan, sounds[0].freq}), (std::tuple{255, 175, 1000}));
            EXPECT_NE(sounds[0].loop, 0);
            run_frames(1, {KEY_S});
            game.mode = MODE_TITLE;  // as a hit leaves it
            run_frames(2);
            EXPECT_EQ(sounds.size(), 1u) << "started again after a game";
        }
        stop_test_game();
    }
}
