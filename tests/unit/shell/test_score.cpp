#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "shell/shell.h"
#include "support.h"
#include "world/world.h"

namespace {

// True when the score line reads "SCORE: " and then `digits`, one per place
// from the top down, where ' ' stands for a place left black.
bool score_reads(const char *digits) {
    BITMAP *want = create_bitmap(144, 8);
    clear_bitmap(want);
    textout_ex(want, font, "SCORE: ", 0, 0, palette_color[15], 0);
    for (int i = 0; i < 9; ++i) textprintf_ex(want, font, 56 + 10 * i, 0, palette_color[15], 0, "%c", digits[i]);
    bool same = true;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 144; ++x) same = same && getpixel(want, x, y) == getpixel(game.back_buffer, x, y);
    destroy_bitmap(want);
    return same;
}

// One pass: a digit above 9 clears itself and all below, carries exactly 1, and
// the top one wraps. So 70 + 50 is 100, not 120, and nine nines and a kill are 0.
TEST(ScoreCarry, OnePassSettlesEveryChain) {
    const struct { int in[9], out[9]; } cases[] = {
        {{0, 12}, {0, 0, 1}}, {{0, 4, 2, 15}, {0, 0, 0, 0, 1}}, {{0, 14, 9, 9, 9, 9, 9, 9, 9}, {}},
        {{0, 9, 9, 9, 9, 9, 9, 9, 9}, {0, 9, 9, 9, 9, 9, 9, 9, 9}}};
    for (const auto &c : cases) {
        std::memcpy(game.score.digit, c.in, sizeof c.in);
        carry_score();
        EXPECT_EQ(std::memcmp(game.score.digit, c.out, sizeof c.out), 0) << c.in[1] << " " << c.in[3];
    }
}

// A kill adds 5 to the tens after the frame's carry, so that place is black for
// one frame. A hit then ends the game within the walk: that frame shows the title
// and the score, the level does not end at row 10, and the music plays on.
TEST(ScoreLine, AKillLeavesTheTensEmptyForOneFrameAndAHitShowsTheTitleAtOnce) {
    start_empty_play();
    game.scoring_flag = SCORE_ON;
    game.score.digit[1] = 7;
    game.grid[game.top_row + 10][5] = CELL_WALKER_FIRST + 2;  // walker 2 at screen (50, 100)
    game.player_shots[2] = {SHOT_FLYING, 60, 125};
    run_frames(1);
    EXPECT_TRUE(score_reads("0000000 0"));
    EXPECT_FALSE(any_drawn(220, 8, 97, 12));
    run_frames(1);
    EXPECT_TRUE(score_reads("000000100"));
    set_scroll_y(100);  // the level would end in this frame
    game.level_number = 4;
    game.grid[game.top_row + 30][2] = CELL_WALKER_FIRST + 1;  // walker 1 low on the screen
    game.walker_shots[5][1] = {SHOT_FLYING, 160, 260};
    run_frames(1);
    EXPECT_EQ(game.mode, MODE_TITLE);
    EXPECT_TRUE(shows_sprite(SPR_TITLE_1, 0, 0, 8));
    EXPECT_TRUE(score_reads("000000100"));
    EXPECT_EQ(game.level_number, 4);
    run_frames(1, {KEY_S});
    for (const SoundCall &c : sounds) EXPECT_FALSE(c.play && c.sample == game.music_sample);
    stop_test_game();
}

// The banner shows in play and the editor only, the title picture on the title
// only; the title starts the music once, the editor stops it every frame.
TEST(ScoreLine, ShownInEveryModeWithBannerAndMusicAsTheModeWants) {
    for (int mode : {MODE_TITLE, MODE_PLAY, MODE_EDITOR}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        if (mode == MODE_PLAY) start_empty_play(); else start_test_game(mode);
        run_frames(2);
        EXPECT_TRUE(score_reads("000000000"));
        EXPECT_EQ(shows_sprite(SPR_BANNER, 220, 0), mode != MODE_TITLE);
        EXPECT_EQ(shows_sprite(SPR_TITLE_1, 0, 0, 8), mode == MODE_TITLE);
        EXPECT_EQ(sounds.size(), mode == MODE_EDITOR ? 2u : mode == MODE_TITLE ? 1u : 0u);
        for (const SoundCall &c : sounds)
            EXPECT_TRUE(c.sample == game.music_sample && c.play == (mode == MODE_TITLE) &&
                        (!c.play || (c.vol == 255 && c.pan == 175 && c.freq == 1000 && c.loop != 0)));
        stop_test_game();
    }
}

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

}  // namespace
