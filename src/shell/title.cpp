#include "assets/atlas.h"
#include "core/game_state.h"
#include "shell/shell.h"
#include "core/sound.h"

void update_music() {
    if (game.mode == MODE_TITLE && game.music_state == OFF) {
        play_sound(game.music_sample, SOUND_VOLUME, MUSIC_PAN, SOUND_FREQ, -1);  // loops for good
        game.music_state = ON;
    }
    if (game.mode == MODE_EDITOR) stop_sound(game.music_sample);
}

// The title cycle: picture 1 for 0..300, 2 for 301..500, 1 for 501..700 and 2
// for 701..900. The four boundary frames keep the picture of the band before
// them rather than flash a black frame.
void update_title() {
    if (++game.title_frame > TITLE_CYCLE_MAX) game.title_frame = 0;
    if (game.mode != MODE_TITLE) return;
    const int32_t f = game.title_frame;
    const bool second = (f > 300 && f <= 500) || (f > 700 && f <= 900);
    draw_sprite_region(second ? SPR_TITLE_2 : SPR_TITLE_1, 0, 0);
}
