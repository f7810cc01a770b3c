#include "support/harness.h"

// A load fills rows 1..288, columns 1..32 from its level's first value and reads
// on, into the next level and past the table's end (zeros). Every load seeks
// afresh and leaves row 0 and column 0 alone.
TEST(LevelLoader, SeeksEveryTimeAndRunsOnIntoTheNextLevel) {
    std::memset(static_cast<void *>(&game), 0, sizeof game);
    game.grid[0][7] = 55, game.grid[40][0] = 66;
    for (int n : {1, 2, 3, 4, 5, 3, 5}) {
        load_level(n);
        EXPECT_TRUE(grid_holds_level(n)) << "level " << n;
    }
    EXPECT_EQ(next_value(), 0) << "the table is exhausted and stays so";
    EXPECT_EQ((std::pair{game.grid[0][7], game.grid[40][0]}), (std::pair{55, 66}));
}

// With every byte of the game set, a read that slipped past an edge of the grid
// would see a non-empty value.
TEST(LevelGrid, ReadsOutsideTheGridAsEmpty) {
    std::memset(static_cast<void *>(&game), 1, sizeof game);
    for (auto [r, c] : {std::pair{-1, 32}, {289, 0}, {5, 33}, {5, -1}})
        EXPECT_EQ(cell_at(r, c), CELL_EMPTY) << r << ", " << c;
    EXPECT_NE(cell_at(0, 0), CELL_EMPTY);
    EXPECT_NE(cell_at(288, 32), CELL_EMPTY);
    std::memset(static_cast<void *>(&game), 0, sizeof game);
}

// A level file takes level 2's place: its values land where a load puts level
// 2's, and the 33 cells after them come from level 3 as they do after level 2.
// Level 3 onwards and, once the file is dropped, level 2 load as built in.
TEST(LevelFile, LoadsInLevelTwosPlaceAndRunsOnIntoLevelThree) {
    std::memset(static_cast<void *>(&game), 0, sizeof game);
    static int32_t file_values[EXPORT_LAYOUT.values];
    for (int32_t k = 0; k < EXPORT_LAYOUT.values; ++k) file_values[k] = 5000 + k;
    use_level_file(file_values);
    load_level(2);
    const std::vector<int64_t> three = level_text_values(3);
    int32_t misplaced = 0;
    for (int32_t k = 0; k < LEVEL_ROWS * LEVEL_COLS; ++k) {
        const int32_t row = 1 + k / LEVEL_COLS, col = 1 + k % LEVEL_COLS;
        misplaced += game.grid[row][col] != (k < EXPORT_LAYOUT.values ? 5000 + k : three[k - EXPORT_LAYOUT.values]);
    }
    EXPECT_EQ(misplaced, 0);
    load_level(3);
    EXPECT_TRUE(grid_holds_level(3));
    use_level_file(nullptr);
    load_level(2);
    EXPECT_TRUE(grid_holds_level(2));
}

// The editor opens a level file as the export wrote it, so that saving it
// untouched writes the same bytes (an object in column 0 stays there), and
// numbers new walkers and turrets on from the file's highest codes.
TEST(LevelFile, OpensInTheEditorAsSavedAndNumbersOnFromItsCodes) {
    const ScratchDir dir;
    set_level_text_path((dir / "level.txt").c_str());
    const Placed objects = {{40, 0, 30}, {41, 5, 12}, {50, 31, 140}, {60, 3, 160}, {61, 3, 2}, {1, 9, 1014}, {2, 2, 999}};
    use_level_file(level_file_values(objects));
    start_test_game(MODE_EDITOR);
    for (auto [r, col, v] : objects) EXPECT_EQ(game.grid[r][col], v) << r << ", " << col;
    EXPECT_EQ((std::tuple{game.next_walker_code, game.next_right_turret_code, game.next_left_turret_code}),
              (std::tuple{31, 141, 161}));
    run_frames(1, {KEY_RSHIFT});
    EXPECT_EQ(read_file(dir / "level.txt"), level_text(objects));
    stop_test_game();
    use_level_file(nullptr);
    set_level_text_path("level.txt");
}
