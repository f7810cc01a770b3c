#include <iterator>
#include <sstream>

#include "support/harness.h"

std::vector<int64_t> level_text_values(int n) {
    std::string text = read_file("src/level/level" + std::to_string(n) + ".txt");
    std::replace(text.begin(), text.end(), ',', ' ');
    std::istringstream values(text);
    return {std::istream_iterator<int64_t>(values), {}};  // stops at the first text that is not a number
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

const LevelCells &anchored_grid(Placed extra) {
    static LevelCells cells;
    std::memset(cells, 0, sizeof cells);
    cells[CURSOR_ROW][CURSOR_COL] = CELL_CURSOR;
    cells[PLAYER_ROW][PLAYER_COL] = CELL_PLAYER;
    for (auto [r, c, v] : extra) cells[r][c] = v;
    return cells;
}

std::string format_text(const LevelLayout &layout, const LevelCells &cells) {
    static char text[LONGEST_LEVEL_TEXT];
    return std::string(text, format_level_text(layout, cells, text));
}

std::string level_text(Placed extra) { return format_text(EXPORT_LAYOUT, anchored_grid(extra)); }

const int32_t *level_file_values(Placed extra) {
    static LevelValues values;
    LevelTextError error;
    const std::string text = level_text(extra);
    EXPECT_TRUE(parse_level_text(text.data(), text.size(), values, error)) << error.words;
    return values.value;
}
