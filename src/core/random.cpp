#include "core/random.h"

#include <cmath>
#include <random>

#include "core/clock.h"

namespace {
std::mt19937 generator;
// The seed of the last re-seed, given to the generator at the first draw after
// it: most frames re-seed and draw nothing, and seeding costs as much as the
// rest of such a frame.
std::mt19937::result_type seed;
bool seeded = true;
}  // namespace

void reseed_random() {
    seed = static_cast<std::mt19937::result_type>(clock_seconds());
    seeded = false;
}

double next_random() {
    if (!seeded) generator.seed(seed), seeded = true;
    return generator() / 4294967296.0;
}

int32_t random_int(int32_t lo, int32_t hi) {
    return static_cast<int32_t>(std::floor(next_random() * (hi - lo + 1))) + lo;
}
