#include "assets/atlas.h"
#include "core/game_state.h"
#include "play/play.h"
#include "core/sound.h"

namespace {
constexpr int32_t TITLE_CYCLE_MAX = 900;  // the cycle runs 0..900, 901 frames
constexpr int MUSIC_PAN = 175;            // right of the centre, 128

// The pictures of the title cycle: each band runs from the frame after the
// one before it up to its last frame. The four edge frames keep the picture of
// the band before them rather than flash a black frame.
struct TitleBand {
    int32_t last_frame;
    SpriteName picture;
};
constexpr TitleBand TITLE_BANDS[] = {
    {.last_frame = 300, .picture = SPR_TITLE_1},
    {.last_frame = 500, .picture = SPR_TITLE_2},
    {.last_frame = 700, .picture = SPR_TITLE_1},
    {.last_frame = TITLE_CYCLE_MAX, .picture = SPR_TITLE_2},
};

SpriteName title_picture(int32_t frame) {
    for (const TitleBand &band : TITLE_BANDS)
        if (frame <= band.last_frame) return band.picture;
    return TITLE_BANDS[0].picture;  // not reached: the last band ends the cycle
}
}  // namespace

void update_music() {
    if (game.mode == MODE_TITLE && game.music_state == OFF) {
        play_sound(game.music_sample, SOUND_VOLUME, MUSIC_PAN, SOUND_FREQ, SOUND_LOOP);
        game.music_state = ON;
    }
    if (game.mode == MODE_EDITOR) stop_sound(game.music_sample);
}

void update_title() {
    if (++game.title_frame > TITLE_CYCLE_MAX) game.title_frame = 0;
    if (game.mode != MODE_TITLE) return;
    draw_sprite_region(title_picture(game.title_frame), 0, 0);
}
