#include "core/clock.h"

#include <chrono>

namespace {
int64_t pinned = -1;
}

int64_t clock_seconds() { return pinned >= 0 ? pinned : running_clock_seconds(); }

int64_t running_clock_seconds() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::seconds>(now).count();
}

void pin_clock_seconds(int64_t s) { pinned = s; }

int64_t pinned_clock_seconds() { return pinned; }
