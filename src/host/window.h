// Folder host/, the process around the game: the window, the command line,
// recording and playing back, the editor's safety, signals, X11, the pacer
// and main. Nothing below it includes it.
//
// The window of the game and the editor: the library with its keyboard and
// sound, a window of its scale, and the game started in it (play/start.h);
// then the frame loop's hooks, which pace it at 60 frames a second.
#pragma once

#include "host/arguments.h"
#include "host/pacer.h"
#include "play/play.h"
#include "play/start.h"

// The window's size: each game pixel a square of N x N screen pixels, with no
// smoothing (1 to LARGEST_SCALE; 1 unless set), or SCALE_AUTO for the largest
// N whose window fits the desktop. Only the copy to the screen changes.
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

// The window's frame hooks, and the 60 Hz clock they keep from the end of
// start_window: the frame is shown at its deadline and sent to the display at
// once; then the loop sleeps until a margin before the next deadline and reads
// the keys, so what they change is computed at once and shown at that deadline.
const FramePlatform &window_platform();
const FramePacer &window_pacer();

// Work for the idle time of each frame, before the keys are read (the
// editor's tending); none unless set.
void set_idle_work(void (*work)());
