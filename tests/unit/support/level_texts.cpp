#include "support/level_texts.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "core/game_state.h"

std::vector<int64_t> level_text_values(int n) {
    std::ifstream in("src/level/level" + std::to_string(n) + ".txt", std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), {}};
    std::replace(text.begin(), text.end(), ',', ' ');
    std::istringstream values(text);
    return {std::istream_iterator<int64_t>(values), {}};
}

testing::AssertionResult grid_holds_level(int n) {
    std::vector<int64_t> cells;  // this level's values, then the next ones', then zeros
    for (int m = n; m <= LEVEL_COUNT; ++m) {
        const std::vector<int64_t> text = level_text_values(m);
        cells.insert(cells.end(), text.begin(), text.end());
    }
    cells.resize(LEVEL_ROWS * LEVEL_COLS, 0);
    for (int k = 0; k < LEVEL_ROWS * LEVEL_COLS; ++k) {
        const int row = 1 + k / LEVEL_COLS, col = 1 + k % LEVEL_COLS;
        if (game.grid[row][col] != cells[k])
            return testing::AssertionFailure() << "cell (" << row << ", " << col << ") holds " << game.grid[row][col]
                                               << ", level " << n << " puts " << cells[k] << " there";
    }
    return testing::AssertionSuccess();
}
