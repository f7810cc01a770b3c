// The built-in level texts as they stand in src/level/, read apart from the
// build's checker and the loader, so that tests of levels hold for any valid
// level a player installs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// The values of src/level/levelN.txt in order (the tests run from the
// repository root); reading stops at the first text that is not a number.
std::vector<int64_t> level_text_values(int n);

// The grid's rows 1..288, columns 1..32 hold what a load of level n puts there,
// row by row: its text's values, then on into the next levels' texts (those of
// 2..5 are 33 values short of the grid), then zeros past the last. If not, the
// failure names the first cell that differs.
testing::AssertionResult grid_holds_level(int n);
