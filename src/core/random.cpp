#include "core/random.h"

#include <cmath>
#include <random>

#include "core/clock.h"

namespace {
std::mt19937 generator;
}

void reseed_random() { generator.seed(static_cast<std::mt19937::result_type>(clock_seconds())); }

double next_random() { return generator() / 4294967296.0; }

int32_t random_int(int32_t lo, int32_t hi) {
    return static_cast<int32_t>(std::floor(next_random() * (hi - lo + 1))) + lo;
}
