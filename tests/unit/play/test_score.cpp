#include "support/harness.h"

// The score line reads "SCORE: " and then `digits`, one per place from the top
// down, where ' ' stands for a place left black.
static testing::AssertionResult score_reads(const char *digits) {
    BITMAP *want = create_bitmap(VIEW_W, VIEW_H);
    clear_bitmap(want);
    textout_ex(want, font, "SCORE: ", 0, 0, palette_color[15], 0);
    for (int i = 0; i < 9; ++i) textprintf_ex(want, font, 56 + 10 * i, 0, palette_color[15], 0, "%c", digits[i]);
    testing::AssertionResult shown = shows_picture(want, 0, 0, 144, 8);
    destroy_bitmap(want);
    return shown << " (want \"" << digits << "\")";
}

static std::vector<int> digits() { return {game.score.digit, game.score.digit + SCORE_DIGITS}; }

// One pass: a digit above 9 clears itself and all below, carries exactly 1, and
// the top one wraps. So 70 + 50 is 100, not 120, and nine nines and a kill are 0.
TEST(ScoreCarry, OnePassSettlesEveryChain) {
    const struct { std::vector<int> in, out; } cases[] = {{{0, 12, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 0, 0, 0, 0}},
        {{0, 4, 2, 15, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 1, 0, 0, 0, 0}}, {{0, 14, 9, 9, 9, 9, 9, 9, 9}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{0, 9, 9, 9, 9, 9, 9, 9, 9}, {0, 9, 9, 9, 9, 9, 9, 9, 9}}};
    for (const auto &c : cases) {
        std::copy(c.in.begin(), c.in.end(), game.score.digit);
        carry_score();
        EXPECT_EQ(digits(), c.out);
    }
}

// A kill adds 5 to the tens after the frame's carry, so that place is black
// for one frame.
TEST(ScoreLine, AKillLeavesTheTensEmptyForOneFrame) {
    const Running play(MODE_PLAY);
    game.scoring_flag = ON;
    game.score.digit[1] = 7;
    game.grid[game.top_row + 10][5] = CELL_WALKER_FIRST + 2;  // walker 2 at screen (50, 100)
    game.player_shots[2] = {SHOT_FLYING, 60, 125};
    run_frames(1);
    EXPECT_TRUE(score_reads("0000000 0"));
    EXPECT_FALSE(any_drawn(220, 8, 97, 12));
    run_frames(1);
    EXPECT_TRUE(score_reads("000000100"));
}

// The score line shows in every mode; the banner in play and the editor only,
// the title picture on the title only.
TEST(ScoreLine, ShownInEveryModeWithTheBannerInPlayAndTheEditor) {
    for (int mode : {MODE_TITLE, MODE_PLAY, MODE_EDITOR}) {
        const Running run(mode);
        run_frames(2);
        EXPECT_TRUE(score_reads("000000000")) << "mode " << mode;
        EXPECT_EQ((std::pair{static_cast<bool>(shows_sprite(SPR_BANNER, 220, 0)), static_cast<bool>(shows_sprite(SPR_TITLE_1, 0, 0, 8))}),
                  (std::pair{mode != MODE_TITLE, mode == MODE_TITLE})) << "mode " << mode;
    }
}
