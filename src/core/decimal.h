// Reading decimal numbers a digit at a time, for the level text and the
// replay scripts alike.
#pragma once

#include <cstdint>

// A magnitude stops growing here, far past 32 bits, so that a long row of
// digits never overflows and still reads as too wide.
constexpr int64_t DECIMAL_CAP = int64_t{1} << 40;

// The magnitude with one more digit ('0'..'9') after it, capped.
constexpr int64_t with_digit(int64_t magnitude, char digit) {
    const int64_t next = magnitude * 10 + (digit - '0');
    return next > DECIMAL_CAP ? DECIMAL_CAP : next;
}

// True when a signed magnitude fits 32 bits.
constexpr bool fits_32_bits(int64_t value) { return value >= INT32_MIN && value <= INT32_MAX; }
