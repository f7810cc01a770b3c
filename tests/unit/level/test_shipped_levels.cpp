#include <gtest/gtest.h>

#include <map>

#include "core/constants.h"
#include "support/level_texts.h"

// What every level the game ships must be, and what any level installed with
// scripts/add-level is checked to be: the loader reads a fixed number of values,
// the walk finds the ship and the editor's cursor at their anchors, and an
// object's code picks its table slot, so no code may stand twice, and 3, 104,
// 154 and 204 are codes the editor never hands out. Nothing else about a
// level's content is fixed.
TEST(ShippedLevels, EachIsAValidLevel) {
    constexpr int player_value = (25 - 1) * LEVEL_COLS + (15 - 1);  // lands in row 25, column 15
    for (int n = 1; n <= LEVEL_COUNT; ++n) {
        SCOPED_TRACE(testing::Message() << "src/level/level" << n << ".txt");
        const auto values = level_text_values(n);
        ASSERT_EQ(values.size(), n == EDITOR_TEMPLATE_LEVEL ? 288u * 32 : 287u * 32 - 1);
        EXPECT_EQ(values[0], CELL_CURSOR);
        EXPECT_EQ(values[player_value], CELL_PLAYER);
        std::map<int64_t, int> uses;
        for (int64_t v : values)
            if (v >= CELL_WALKER_FIRST && v <= CELL_LEFT_TURRET_LAST) ++uses[v];
        for (auto [code, times] : uses) EXPECT_EQ(times, 1) << "code " << code;
        for (int code : {3, 104, 154, 204}) EXPECT_EQ(uses.count(code), 0u) << "code " << code;
    }
}
