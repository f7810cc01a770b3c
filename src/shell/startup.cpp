#include "startup.h"

#include <allegro.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "../reset/reset.h"
#include "game_state.h"
#include "pacer.h"
#include "shell.h"

namespace {

FramePacer pacer;
// Written by the library's window thread when the close button is pressed.
std::atomic<bool> close_requested{false};

void on_close_button() { close_requested = true; }

// On a machine without a sound card the sound drivers' probing prints pages of
// complaints on stderr; the game simply goes on silent, so keep them quiet.
void install_sound_quietly() {
    std::fflush(stderr);
    int saved = dup(STDERR_FILENO);
    int null_fd = open("/dev/null", O_WRONLY);
    if (saved >= 0 && null_fd >= 0) dup2(null_fd, STDERR_FILENO);
    install_sound(DIGI_AUTODETECT, MIDI_NONE, "");
    std::fflush(stderr);
    if (saved >= 0) dup2(saved, STDERR_FILENO);
    if (saved >= 0) close(saved);
    if (null_fd >= 0) close(null_fd);
}

void wait_for_frame() { pacer_wait(pacer); }
void show_frame() { blit(game.back_buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H); }
void poll_keys() {
    poll_keyboard();
    if (close_requested) key[KEY_ESC] = 1;  // the close button ends the game as Escape does
}

const FramePlatform WINDOW = {wait_for_frame, show_frame, poll_keys};

}  // namespace

int run_game() {
    // Without a display the library cannot start, and its keyboard would crash.
    if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0) return 1;
    gfx_capabilities = 0x20000;
    install_keyboard();
    install_timer();
    install_sound_quietly();
    set_window_title("");
    set_color_depth(32);  // so the pictures show their own colours
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, VIEW_W, VIEW_H, 0, 0) != 0) {
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
        return 1;
    }
    set_close_button_callback(on_close_button);
    game.back_buffer = create_bitmap(SCREEN_W, SCREEN_H);
    clear_bitmap(game.back_buffer);
    set_projection_viewport(0, 0, SCREEN_W, SCREEN_H);
    reset_world();
    if (!load_assets()) {
        release_assets();
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
        return 2;
    }

    pacer_start(pacer);
    while (run_frame(WINDOW)) {
    }
    release_assets();
    return 0;
}
