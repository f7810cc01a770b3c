// A steady 60 Hz frame clock. Allegro cannot see the real retrace under X11 and
// its emulated vsync runs near 36 Hz, so each frame instead sleeps until its own
// deadline on the monotonic clock: deadline n = start + n / 60 s, which never
// drifts. A program that falls several frames behind starts counting afresh
// rather than racing to catch up.
//
// The window shows each frame at its deadline and reads the keys a margin
// before the next one, so what a key changes is computed at once and shown at
// that next deadline: the idle time sits between the present and the keys.
#pragma once

#include <cstdint>

#include "core/constants.h"

constexpr int64_t FRAME_NS = 1000000000LL / FRAMES_PER_SECOND;  // rounded down; deadlines use the exact ratio
constexpr int64_t PACER_MAX_LAG_FRAMES = 4;
// How long before a deadline the keys are read. From the latch to a frame
// ready to show takes the thread's wake-up, the X input (one round trip to the
// server) and the frame's own work: about 0.3 ms in all on a quiet machine
// (0.5 ms at the 99th percentile), but the wake-up alone reaches 2 ms at the
// 99th percentile with a load of 4 on two cores. Every microsecond of margin
// is added to the time from a key to the screen: 2 ms covers the busy case and
// keeps that time at about 8.3 ms (half a frame) + 2.3 ms.
constexpr int64_t KEY_LATCH_MARGIN_NS = 2000000;

struct FramePacer {
    int64_t start_ns;  // monotonic time of frame 0's deadline
    int64_t frame;     // the frame whose deadline came last
};

int64_t monotonic_ns();
// Sleeps until the monotonic clock reads t_ns; at once if it already has.
void sleep_until_ns(int64_t t_ns);

void pacer_start(FramePacer &pacer, int64_t now_ns);
// Deadline of frame n: start + n / 60 s, exact to the nanosecond.
int64_t pacer_deadline(const FramePacer &pacer, int64_t n);
// Moves on to the next frame and returns its deadline. When `now_ns` is more
// than PACER_MAX_LAG_FRAMES past it, counting starts afresh: that frame is due
// now and the ones after follow at 60 Hz from here.
int64_t pacer_next(FramePacer &pacer, int64_t now_ns);
// When to read the keys for the frame after the current one.
int64_t pacer_latch_time(const FramePacer &pacer);
