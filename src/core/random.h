// The one random generator. It is re-seeded with the clock's whole seconds, so
// the n-th draw after a re-seed is the same throughout one clock second.
#pragma once

#include <cstdint>

void reseed_random();
// Next value in [0, 1).
double next_random();
// floor(r * (hi - lo + 1)) + lo.
int32_t random_int(int32_t lo, int32_t hi);
