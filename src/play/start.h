// The game's one start-up, which every program that starts the game runs: the
// window of the game and the editor (host/window.h) once its screen is up,
// and headless the replay tool, the prover, the tests and the benchmarks.
#pragma once

// Status of a start-up, and the process exit status when it fails.
enum StartStatus { START_OK = 0, START_NO_WINDOW = 1, START_BAD_ASSET = 2 };

// Once the library has its screen: the back buffer and the viewport, the world
// reset, the start values, the game in `mode`, the pictures and sounds, and
// the first level (the editor's level, or level 1 behind the title). When an
// asset is wrong (load_assets has said which) what was loaded is released.
StartStatus start_game(int mode);

// The library without a display or sound, in 32-bit colour with the default
// palette that a window would bring; installed once per process. False if the
// library would not start.
bool start_headless_library();
// That library and memory bitmaps, then the game, zeroed first, in `mode`.
// Pin the clock and set a sound hook before calling.
StartStatus start_headless(int mode);

// Releases what either start-up made.
void stop_game();
