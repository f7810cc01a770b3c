// Whole seconds of the monotonic clock: the game's only use of time is seeding
// the random generator. Tests and the replay tool can pin the reading.
#pragma once

#include <cstdint>

int64_t clock_seconds();
// What the clock reads when it is not pinned.
int64_t running_clock_seconds();
// From now on clock_seconds() returns s; a negative s returns to the real clock.
void pin_clock_seconds(int64_t s);
// The pinned reading, or -1 while the clock runs.
int64_t pinned_clock_seconds();
