// Folder host/, the process around the game: start-up, arguments, recording,
// the editor's safety, signals, X11, the pacer and main.
// May include: core level assets world reset play host
//
// The game's one start-up, in its two forms: a real window for the game and
// the editor, and headless for the replay tool, the tests and the benchmarks.
// Both end in the same steps (back buffer, viewport, reset_world, load_assets),
// so every program that starts the game starts it the same way.
#pragma once

#include "host/pacer.h"
#include "play/play.h"

// Status of a start-up, and the process exit status when it fails.
enum StartStatus { START_OK = 0, START_NO_WINDOW = 1, START_BAD_ASSET = 2 };

// The window's size: each game pixel a square of N x N screen pixels, with no
// smoothing (1 to LARGEST_SCALE; 1 unless set), or SCALE_AUTO for the largest
// N whose window fits the desktop. Only the copy to the screen changes.
constexpr int SCALE_AUTO = 0;
constexpr int LARGEST_SCALE = 8;
void set_window_scale(int n);
// The largest N (at least 1) whose window fits a desktop of w x h pixels with
// room left for panels and a title bar.
int scale_to_fit(int desktop_w, int desktop_h);

// The library with its keyboard and (quietly probed) sound, the window (320 x
// 320 at scale 1) with the close button acting as Escape, and the ending
// signals taken from the library (signals.h), then the game in `mode`. On
// failure one line says why no window opened (no DISPLAY, or the display that
// did not answer), the library is back in text mode and nothing is loaded.
StartStatus start_window(int mode);

// The library without a display or sound, in 32-bit colour with the default
// palette that a window would bring; installed once per process. False if the
// library would not start.
bool start_headless_library();
// That library and memory bitmaps, then the game, zeroed first, in `mode`.
// Pin the clock and set a sound hook before calling.
StartStatus start_headless(int mode);

// The window's frame hooks, and the 60 Hz clock they keep from the end of
// start_window: the frame is shown at its deadline and sent to the display at
// once; then the loop sleeps until a margin before the next deadline and reads
// the keys, so what they change is computed at once and shown at that deadline.
const FramePlatform &window_platform();
const FramePacer &window_pacer();

// Releases what either start-up made.
void stop_game();

// The windowed game from start to end: start_window, the frame loop at 60
// frames a second until Escape or the close button (or the end of a recording
// played back, or an ending signal), stop_game. Returns the exit status; after
// an ending signal the program ends by that signal instead.
int run_game(int mode);
