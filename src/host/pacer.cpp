#include "host/pacer.h"

#include <cerrno>
#include <ctime>

int64_t monotonic_ns() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

void sleep_until_ns(int64_t t_ns) {
    timespec ts{static_cast<time_t>(t_ns / 1000000000LL), static_cast<long>(t_ns % 1000000000LL)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

void pacer_start(FramePacer &pacer, int64_t now_ns) {
    pacer.start_ns = now_ns;
    pacer.frame = 0;
}

int64_t pacer_deadline(const FramePacer &pacer, int64_t n) {
    return pacer.start_ns + n * 1000000000LL / FRAMES_PER_SECOND;
}

int64_t pacer_next(FramePacer &pacer, int64_t now_ns) {
    ++pacer.frame;
    const int64_t deadline = pacer_deadline(pacer, pacer.frame);
    if (now_ns - deadline > PACER_MAX_LAG_FRAMES * FRAME_NS) {
        pacer_start(pacer, now_ns);
        return now_ns;
    }
    return deadline;
}

int64_t pacer_latch_time(const FramePacer &pacer) {
    return pacer_deadline(pacer, pacer.frame + 1) - KEY_LATCH_MARGIN_NS;
}
