#include "shell/startup.h"

#include <allegro.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "assets/assets.h"
#include "core/game_state.h"
#include "reset/reset.h"
#include "shell/pacer.h"
#include "shell/shell.h"
#include "shell/x11.h"

namespace {

// The library ignores this value under X11; the game has always stored it
// before opening its window.
constexpr int GFX_CAPABILITIES_AT_START = GFX_HW_VRAM_BLIT_MASKED;

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

// The steps both start-ups share, once the library has its screen.
StartStatus start_game_state(int mode) {
    game.back_buffer = create_bitmap(VIEW_W, VIEW_H);
    clear_bitmap(game.back_buffer);
    set_projection_viewport(0, 0, VIEW_W, VIEW_H);
    start_mode = mode;
    reset_world();
    if (load_assets()) return START_OK;
    release_assets();
    return START_BAD_ASSET;
}

// The frame is ready a little before its deadline (the keys were read a
// margin before it); wait for the deadline itself.
void wait_for_frame() { sleep_until_ns(pacer_next(pacer, monotonic_ns())); }
void show_frame() {
    blit(game.back_buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    send_frame_to_display();
}
// The idle time of the frame: the keys are read as late as still leaves time
// to compute the next frame before its deadline.
void poll_keys() {
    sleep_until_ns(pacer_latch_time(pacer));
    take_pending_input();
    poll_keyboard();
    if (close_requested) key[KEY_ESC] = 1;  // the close button ends the game as Escape does
}

const FramePlatform WINDOW = {wait_for_frame, show_frame, poll_keys};

}  // namespace

StartStatus start_window(int mode) {
    // Without a display the library cannot start, and its keyboard would crash.
    if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0) return START_NO_WINDOW;
    gfx_capabilities = GFX_CAPABILITIES_AT_START;
    install_keyboard();
    install_timer();
    install_sound_quietly();
    set_window_title("");
    set_color_depth(32);  // so the pictures show their own colours
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, VIEW_W, VIEW_H, 0, 0) != 0) {
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
        return START_NO_WINDOW;
    }
    set_close_button_callback(on_close_button);
    const StartStatus status = start_game_state(mode);
    if (status != START_OK) set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    pacer_start(pacer, monotonic_ns());
    return status;
}

bool start_headless_library() {
    static bool library_up = false;
    if (!library_up) {
        if (install_allegro(SYSTEM_NONE, &errno, nullptr) != 0) return false;
        set_color_depth(32);
        // set_gfx_mode brings the default palette, which the score line's
        // colour comes from; without it the text would be drawn black.
        set_palette(default_palette);
        library_up = true;
    }
    return true;
}

StartStatus start_headless(int mode) {
    start_headless_library();
    std::memset(static_cast<void *>(&game), 0, sizeof game);
    return start_game_state(mode);
}

void stop_game() { release_assets(); }

const FramePlatform &window_platform() { return WINDOW; }
const FramePacer &window_pacer() { return pacer; }

int run_game(int mode) {
    const StartStatus status = start_window(mode);
    if (status != START_OK) return status;
    while (run_frame(WINDOW)) {
    }
    stop_game();
    return 0;
}
