// The built-in levels, joined at build time from the texts in src/level/ by
// tools/level_pack, which refuses a malformed text.
#pragma once

#include <cstdint>

#include "core/constants.h"

extern const int32_t LEVEL_TABLE[];
extern const int32_t LEVEL_TABLE_SIZE;
// LEVEL_START[n] is the position of the first value of level n, 1..5; [0] is unused.
extern const int32_t LEVEL_START[LEVEL_COUNT + 1];
