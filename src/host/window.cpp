#include "host/window.h"

#include <allegro.h>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include "core/game_state.h"
#include "host/signals.h"
#include "host/x11.h"

namespace {

// Stored before the window opens, as the game's start-up asks; the library
// ignores it under X11.
constexpr int GFX_CAPABILITIES_AT_START = GFX_HW_VRAM_BLIT_MASKED;

// Room a desktop keeps for its panels, a dock at the side and the window's
// title bar: 1920 x 1080 gets scale 3, a 4K desktop 6, 1366 x 768 scale 2.
constexpr int DESKTOP_ROOM_W = 64;
constexpr int DESKTOP_ROOM_H = 120;

int window_scale = 1;
FramePacer pacer;
// Written by the library's window thread when the close button is pressed.
std::atomic<bool> close_requested{false};
void (*idle_work)() = nullptr;

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

// Each pixel of the frame as an N x N square of the screen, no smoothing: a
// row widened once, then copied down. The screen's lines are the picture the
// X server is sent, so the frame is written once, straight into it, and sent
// whole by send_frame_to_display; blitting or stretching to the screen would
// send it line by line, spread over a frame. Both bitmaps are 32-bit. At
// scale 3 this takes half the time of the library's stretch_blit, which
// gives the same pixels.
void widen_frame_into_screen() {
    const int n = window_scale;
    const size_t row_bytes = sizeof(uint32_t) * VIEW_W * n;
    for (int y = 0; y < VIEW_H; ++y) {
        const auto *from = reinterpret_cast<const uint32_t *>(game.back_buffer->line[y]);
        auto *row = reinterpret_cast<uint32_t *>(screen->line[y * n]);
        if (n == 1) std::memcpy(row, from, row_bytes);
        else
            for (int x = 0; x < VIEW_W; ++x)
                for (int k = 0; k < n; ++k) row[x * n + k] = from[x];
        for (int k = 1; k < n; ++k) std::memcpy(screen->line[y * n + k], row, row_bytes);
    }
}

// The frame is ready a little before its deadline (the keys were read a
// margin before it); put it on the screen meanwhile and wait for the
// deadline itself, when it is sent.
void wait_for_frame() {
    widen_frame_into_screen();
    sleep_until_ns(pacer_next(pacer, monotonic_ns()));
}
// The idle time of the frame: the keys are read as late as still leaves time
// to compute the next frame before its deadline.
void poll_keys() {
    if (idle_work) idle_work();
    sleep_until_ns(pacer_latch_time(pacer));
    take_pending_input();
    poll_keyboard();
    if (close_requested) key[KEY_ESC] = 1;  // the close button ends the game as Escape does
}

const FramePlatform WINDOW = {wait_for_frame, send_frame_to_display, poll_keys};

// The library's threads start with the signals that end the game held back,
// so that those reach the main thread alone: a handler then runs between two
// steps of the game, never beside it on another thread.
struct EndingSignalsHeldBack {
    sigset_t was;
    EndingSignalsHeldBack() {
        sigset_t ending;
        sigemptyset(&ending);
        for (int sig : ENDING_SIGNALS) sigaddset(&ending, sig);
        pthread_sigmask(SIG_BLOCK, &ending, &was);
    }
    ~EndingSignalsHeldBack() { pthread_sigmask(SIG_SETMASK, &was, nullptr); }
};

// Without a window there is nothing to do; one line says why.
void say_no_window(int mode) {
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display)
        std::fprintf(stderr, "%s: cannot open a window: DISPLAY is not set\n", program_name(mode));
    else
        std::fprintf(stderr, "%s: cannot open display '%s'\n", program_name(mode), display);
}

}  // namespace

void set_window_scale(int n) { window_scale = n; }

int scale_to_fit(int desktop_w, int desktop_h) {
    int n = LARGEST_SCALE;
    while (n > 1 && (VIEW_W * n > desktop_w - DESKTOP_ROOM_W || VIEW_H * n > desktop_h - DESKTOP_ROOM_H)) --n;
    return n;
}

StartStatus start_window(int mode) {
    const EndingSignalsHeldBack held;
    take_ending_signals(note_ending_signal);  // before the library's own handlers, and again once it is up
    quiet_library_background();
    // Without a display the library cannot start, and its keyboard would crash.
    if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0) {
        say_no_window(mode);
        return START_NO_WINDOW;
    }
    display_started_up();
    gfx_capabilities = GFX_CAPABILITIES_AT_START;
    install_keyboard();
    install_sound_quietly();
    set_window_title("");
    set_color_depth(32);  // so the pictures show their own colours
    int desktop_w, desktop_h;
    if (window_scale == SCALE_AUTO)
        window_scale = get_desktop_resolution(&desktop_w, &desktop_h) == 0 ? scale_to_fit(desktop_w, desktop_h) : 1;
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, VIEW_W * window_scale, VIEW_H * window_scale, 0, 0) != 0) {
        std::fprintf(stderr, "%s: cannot open a window: %s\n", program_name(mode), allegro_error);
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
        return START_NO_WINDOW;
    }
    set_close_button_callback(on_close_button);
    const StartStatus status = start_game(mode);
    if (status != START_OK) set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    pacer_start(pacer, monotonic_ns());
    take_ending_signals(note_ending_signal);
    return status;
}

const FramePlatform &window_platform() { return WINDOW; }
const FramePacer &window_pacer() { return pacer; }

void set_idle_work(void (*work)()) { idle_work = work; }
