#include <allegro.h>

#include "core/game_state.h"
#include "play/play.h"
#include "assets/atlas.h"

namespace {
constexpr int HUD_TEXT_COLOR = 15;  // index into palette_color
constexpr int HUD_DIGITS_X = 56;    // the highest digit, just after the 7 characters of "SCORE: "
constexpr int HUD_DIGIT_STEP = 10;  // and the lower ones 10 pixels apart
constexpr int BANNER_X = 220;       // the banner's left edge, at the top of the window
}  // namespace

// One pass from the lowest digit up. A digit above 9 becomes 0 with every digit
// below it, whatever its excess, and carries exactly 1; the top digit wraps.
void carry_score() {
    int32_t *d = game.score.digit;
    for (int p = 0; p < SCORE_DIGITS; ++p) {
        if (d[p] <= 9) continue;
        for (int q = 0; q <= p; ++q) d[q] = 0;
        if (p + 1 < SCORE_DIGITS) d[p + 1] += 1;
    }
}

// The library's own text background mode is used as it stands (what its plain
// textout does), so the score line looks the same in every mode.
void draw_hud() {
    textout_ex(game.back_buffer, font, "SCORE: ", 0, 0, palette_color[HUD_TEXT_COLOR], _textmode);
    for (int p = SCORE_DIGITS - 1; p >= 0; --p) {
        int32_t d = game.score.digit[p];
        if (d < 0 || d > 9) continue;  // a digit waiting for its carry leaves its place empty
        const char digit[2] = {static_cast<char>('0' + d), '\0'};
        textout_ex(game.back_buffer, font, digit, HUD_DIGITS_X + HUD_DIGIT_STEP * (SCORE_DIGITS - 1 - p), 0,
                   palette_color[HUD_TEXT_COLOR], _textmode);
    }
}

void draw_banner() {
    if (game.scoring_flag == OFF) draw_sprite_region(SPR_BANNER, BANNER_X, 0);
}
