// Lets EXPECT_EQ compare shot slots whole and print every field when they differ.
#pragma once

#include <ostream>

#include "core/game_state.h"

inline bool operator==(const Shot &a, const Shot &b) { return a.state == b.state && a.x == b.x && a.y == b.y; }
inline void PrintTo(const Shot &s, std::ostream *out) {
    *out << "{state " << s.state << ", x " << s.x << ", y " << s.y << "}";
}
