#include <allegro.h>

#include "world/world.h"
#include "core/game_state.h"
#include "shell/shell.h"

// The twelve steps of one displayed frame, each testing the mode as it stands
// when it runs: a hit in step_world already brings the title picture in step 5.
bool run_frame(const FramePlatform &platform) {
    clear_bitmap(game.back_buffer);
    carry_score();
    update_music();
    if (game.mode == MODE_PLAY || game.mode == MODE_EDITOR) {
        draw_banner();
        step_world();
    }
    update_title();
    draw_hud();
    check_level_end();
    platform.wait_retrace();
    platform.present();
    platform.poll();
    if (key[KEY_ESC]) return false;
    apply_keys();
    return true;
}
