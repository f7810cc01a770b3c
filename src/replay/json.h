// The little JSON the replay prints: numbers appended to a buffer, no allocation
// beyond the buffer's own growth.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

inline void append_number(std::string &out, int64_t n) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    out.append(digits, end);
}
