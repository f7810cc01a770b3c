#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/shell.h"
#include "support.h"
#include "world/world.h"

namespace {

// The score line as the window shows it: "SCORE: " and one character per place,
// ' ' for a place left black and '?' for anything that is not a plain glyph.
std::string score_shown() {
    BITMAP *glyph = create_bitmap(56, 8);
    auto matches = [&](const std::string &text, int x0, int w) {
        clear_bitmap(glyph);
        textout_ex(glyph, font, text.c_str(), 0, 0, palette_color[15], 0);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < w; ++x)
                if (getpixel(glyph, x, y) != getpixel(game.back_buffer, x0 + x, y)) return false;
        return true;
    };
    std::string shown = matches("SCORE: ", 0, 56) ? "SCORE: " : "?";
    for (int p = 8; p >= 0; --p) {
        char c = '?';
        for (char d : std::string(" 0123456789"))
            if (matches(std::string(1, d), 56 + 10 * (8 - p), 8)) c = d;
        shown += c;
    }
    destroy_bitmap(glyph);
    return shown;
}

int music_starts() {
    int n = 0;
    for (const SoundCall &c : sounds) n += c.play && c.sample == game.music_sample;
    return n;
}

// One pass brings every digit back into 0..9: a digit above 9 clears itself and
// everything below it, carries exactly 1 on, and the top digit wraps to zero.
TEST(ScoreCarry, OnePassSettlesEveryChain) {
    const struct { int in[9], out[9]; } cases[] = {
        {{0, 12}, {0, 0, 1}},                                   // 70 + 50 is 100, not 120
        {{0, 14, 9, 9}, {0, 0, 0, 0, 1}},                       // 990 + 50 carries twice
        {{10, 3}, {0, 4}},
        {{0, 4, 2, 15}, {0, 0, 0, 0, 1}},                       // the places below are cleared too
        {{0, 0, 0, 0, 0, 0, 0, 0, 10}, {}},                     // no tenth digit
        {{0, 14, 9, 9, 9, 9, 9, 9, 9}, {}},                     // nine nines and a kill
        {{0, 9, 9, 9, 9, 9, 9, 9, 9}, {0, 9, 9, 9, 9, 9, 9, 9, 9}},
    };
    for (const auto &c : cases) {
        std::memcpy(game.score.digit, c.in, sizeof c.in);
        carry_score();
        for (int p = 0; p < 9; ++p) EXPECT_EQ(game.score.digit[p], c.out[p]) << "place " << p;
    }
}

TEST(ScoreLine, ATensDigitAboveNineLeavesItsPlaceEmptyForOneFrame) {
    start_empty_play();
    run_frames(1);
    EXPECT_EQ(score_shown(), "SCORE: 000000000");
    game.scoring_flag = SCORE_ON;
    game.score.digit[1] = 7;
    game.grid[game.top_row + 10][5] = CELL_WALKER_FIRST + 2;  // walker 2 at screen (50, 100)
    game.player_shots[2] = {SHOT_FLYING, 60, 125};
    run_frames(1);
    EXPECT_EQ(game.score.digit[1], 12);
    EXPECT_EQ(score_shown(), "SCORE: 0000000 0");
    EXPECT_FALSE(any_drawn(220, 8, 97, 12)) << "no banner while kills count";
    run_frames(1);
    EXPECT_EQ(score_shown(), "SCORE: 000000100");
    stop_headless();
}

// The banner is drawn before the world in play and editor; the title picture,
// which covers the whole window, leaves no place for it on the title screen.
TEST(ScoreLine, ShownInEveryModeWithTheBannerOnlyInPlayAndEditor) {
    for (int mode : {MODE_TITLE, MODE_PLAY, MODE_EDITOR}) {
        if (mode == MODE_PLAY) start_empty_play(); else start_headless(mode);
        run_frames(2);
        EXPECT_EQ(score_shown(), "SCORE: 000000000") << "mode " << mode;
        EXPECT_EQ(shows_sprite(SPR_BANNER, 220, 0), mode != MODE_TITLE) << "mode " << mode;
        EXPECT_EQ(shows_sprite(SPR_TITLE_1, 0, 0, 8), mode == MODE_TITLE) << "mode " << mode;
        stop_headless();
    }
}

// update_title sees 1, 2, ..., 900, 0, 1, ...; the four frames that fall between
// two bands keep the picture of the band before them.
TEST(TitleScreen, BandsAndTheirBoundaryFramesFollowTheCycle) {
    const struct { int seen, picture; } cases[] = {
        {1, 1}, {299, 1}, {300, 1}, {301, 2}, {499, 2}, {500, 2}, {501, 1}, {699, 1},
        {700, 1}, {701, 2}, {899, 2}, {900, 2}, {0, 1}};
    start_headless(MODE_TITLE);
    for (const auto &c : cases) {
        game.title_frame = c.seen == 0 ? 900 : c.seen - 1;
        run_frames(1);
        EXPECT_EQ(game.title_frame, c.seen);
        EXPECT_TRUE(shows_sprite(c.picture == 1 ? SPR_TITLE_1 : SPR_TITLE_2, 0, 0, 8)) << c.seen;
        EXPECT_FALSE(shows_sprite(c.picture == 1 ? SPR_TITLE_2 : SPR_TITLE_1, 0, 0, 8)) << c.seen;
    }
    stop_headless();
}

// A walker shot inside the ship's box ends the game within the walk: that very
// frame shows the title, the level does not end although the view is at row 10,
// and neither the hit nor the next game starts the music again.
TEST(TitleScreen, AHitShowsTheTitleAtOnceAndTheMusicPlaysOnFromTheFirstFrame) {
    start_headless(MODE_TITLE);
    run_frames(1);
    ASSERT_EQ(music_starts(), 1);
    EXPECT_EQ(sounds[0].vol, 255); EXPECT_EQ(sounds[0].pan, 175); EXPECT_EQ(sounds[0].freq, 1000);
    EXPECT_NE(sounds[0].loop, 0);
    EXPECT_EQ(game.music_state, 2);
    EXPECT_EQ(game.title_frame, 1);
    EXPECT_TRUE(shows_sprite(SPR_TITLE_1, 0, 0, 8));
    run_frames(1, {KEY_S});
    std::memset(game.grid, 0, sizeof game.grid);
    game.grid[25][15] = CELL_PLAYER;
    run_frames(2);
    set_scroll_y(100);  // the level would end in this frame
    game.level_number = 4;
    game.title_frame = 99;
    game.grid[game.top_row + 30][2] = CELL_WALKER_FIRST + 1;  // walker 1 low on the screen
    game.walker_shots[5][1] = {SHOT_FLYING, 160, 260};
    run_frames(1);
    EXPECT_EQ(game.mode, MODE_TITLE);
    EXPECT_TRUE(shows_sprite(SPR_TITLE_1, 0, 0, 8));
    EXPECT_EQ(game.level_number, 4);
    EXPECT_EQ(game.scroll_y, 100);
    EXPECT_EQ(game.title_frame, 100);
    run_frames(30);
    run_frames(1, {KEY_S});
    run_frames(5);  // too soon for any enemy of the new level to have fired
    EXPECT_EQ(game.mode, MODE_PLAY);
    EXPECT_EQ(music_starts(), 1);
    stop_headless();
}

TEST(TitleScreen, TheEditorStopsTheMusicEveryFrameAndNeverStartsIt) {
    start_headless(MODE_EDITOR);
    run_frames(5);
    ASSERT_EQ(sounds.size(), 5u);
    for (const SoundCall &c : sounds) EXPECT_TRUE(!c.play && c.sample == game.music_sample);
    stop_headless();
}

}  // namespace
