// A steady 60 Hz frame clock. Allegro cannot see the real retrace under X11 and
// its emulated vsync runs near 36 Hz, so each frame instead sleeps until its own
// deadline on the monotonic clock: deadline n = start + n / 60 s, which never
// drifts. A program that falls several frames behind starts counting afresh
// rather than racing to catch up.
#pragma once

#include <cstdint>

constexpr int64_t FRAMES_PER_SECOND = 60;
constexpr int64_t FRAME_NS = 1000000000LL / FRAMES_PER_SECOND;  // rounded down; deadlines use the exact ratio
constexpr int64_t PACER_MAX_LAG_FRAMES = 4;

struct FramePacer {
    int64_t start_ns;  // monotonic time of frame 0's deadline
    int64_t frame;     // deadlines passed since start_ns
};

int64_t monotonic_ns();
void pacer_start(FramePacer &pacer);
// Sleeps until the next deadline.
void pacer_wait(FramePacer &pacer);
