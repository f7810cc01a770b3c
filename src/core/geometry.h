// Small pure helpers shared by the handlers.
#pragma once

#include <cstdint>

// a / b rounded to the nearest integer, halves to the even one (b > 0).
constexpr int32_t round_half_even(int64_t a, int64_t b) {
    int64_t q = a / b, r = a % b;
    if (r < 0) { r += b; q -= 1; }  // floor division
    int64_t twice = 2 * r;
    if (twice > b || (twice == b && (q & 1) != 0)) q += 1;
    return static_cast<int32_t>(q);
}

// Strict interval test: lo < v < hi.
constexpr bool strictly_between(int32_t v, int32_t lo, int32_t hi) { return lo < v && v < hi; }

// Strict point-in-box test of (px, py) against the w x h box at (bx, by).
constexpr bool point_in_box(int32_t px, int32_t py, int32_t bx, int32_t by, int32_t w, int32_t h) {
    return strictly_between(px, bx, bx + w) && strictly_between(py, by, by + h);
}
