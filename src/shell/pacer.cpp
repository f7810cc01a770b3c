#include "shell/pacer.h"

#include <cerrno>
#include <ctime>

int64_t monotonic_ns() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

void pacer_start(FramePacer &pacer) {
    pacer.start_ns = monotonic_ns();
    pacer.frame = 0;
}

void pacer_wait(FramePacer &pacer) {
    ++pacer.frame;
    int64_t deadline = pacer.start_ns + pacer.frame * 1000000000LL / FRAMES_PER_SECOND;  // exact, no drift
    int64_t now = monotonic_ns();
    if (now - deadline > PACER_MAX_LAG_FRAMES * FRAME_NS) {
        pacer.start_ns = now;
        pacer.frame = 0;
        return;
    }
    timespec ts{static_cast<time_t>(deadline / 1000000000LL), static_cast<long>(deadline % 1000000000LL)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}
