#include <allegro.h>

#include "world/world.h"
#include "core/game_state.h"
#include "play/play.h"

namespace {
void no_wait() {}
}  // namespace

const FramePlatform HEADLESS_PLATFORM = {no_wait, no_wait, poll_held_keys};

// One displayed frame: the world moves and the frame is drawn; the platform
// waits for the frame's deadline, shows it and reads the keys (the window reads
// them as late as still leaves time to compute the next frame); then, unless
// Escape is held, the keys act at once on the state the next frame starts
// from. Each step tests the mode as it stands when it runs: a hit in
// step_world already brings the title picture in update_title.
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
