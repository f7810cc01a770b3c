// The prelude of every unit test, and the game headless for them: the real
// library without a display, memory bitmaps, the real data/ files, the clock
// pinned and sounds recorded. Each test file includes this and nothing else.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "assets/atlas.h"
#include "core/clock.h"
#include "core/game_state.h"
#include "core/sound.h"
#include "level/level.h"
#include "level/level_text.h"
#include "play/play.h"
#include "world/world.h"

namespace fs = std::filesystem;

// Zeroes the game and runs the game's own start-up in the given mode
// (start_game: the world reset, the start values, the assets, the first level). The clock reads 0 until a test pins it.
void start_test_game(int mode);
// start_test_game in the title mode, then S held for one frame; the level is
// then emptied down to the ship's anchor (row 25, column 15) and the sounds of
// the title frame are forgotten. The next frame is the first frame of play.
void start_empty_play();
// The mode's usual start: start_empty_play for play, else start_test_game.
void start_in_mode(int mode);
// Releases what start_test_game made.
void stop_test_game();

// A test whose every case runs in a fresh game started by start_test_game(MODE).
template <int MODE>
struct GameIn : ::testing::Test {
    void SetUp() override { start_test_game(MODE); }
    void TearDown() override { stop_test_game(); }
};
// One case's game, in a loop of cases: start_in_mode, and stop_test_game at the end of the scope.
struct Running {
    explicit Running(int mode) { start_in_mode(mode); }
    ~Running() { stop_test_game(); }
};

// Every sound call since the last start_test_game.
extern std::vector<SoundCall> sounds;

// Holds exactly these keys for the next reads of key[].
void hold_keys(std::initializer_list<int> keys);
// The frame loop's twelve steps with no retrace wait; false once Escape is held.
bool run_test_frame();
// Runs n frames holding the given keys.
void run_frames(int n, std::initializer_list<int> keys = {});

// A copy of the whole game, to compare byte for byte or to go back to.
GameState &copy_of_game(GameState &into);
bool game_equals(const GameState &other);
void set_game(const GameState &from);

// Lets EXPECT_EQ compare shot slots whole and print every field when they differ.
inline bool operator==(const Shot &a, const Shot &b) { return a.state == b.state && a.x == b.x && a.y == b.y; }
inline void PrintTo(const Shot &s, std::ostream *out) { *out << "{state " << s.state << ", x " << s.x << ", y " << s.y << "}"; }

// Checks of what a frame drew into back_buffer; the failures say where the frame
// differs, with both colours.
// True when the w x h rectangle at (x, y) of back_buffer holds any colour but black.
bool any_drawn(int x, int y, int w, int h);
// back_buffer holds the same pixels as `want`, a window-sized picture, over the
// w x h rectangle at (x, y), and `want` is not all black there.
testing::AssertionResult shows_picture(BITMAP *want, int x, int y, int w, int h);
// back_buffer shows sprite `name` at (x, y) exactly as it looks drawn alone on
// black, over the part of its area that lies in the window from row `from_y`
// down (to leave out the score line), and that part is not all black.
testing::AssertionResult shows_sprite(SpriteName name, int x, int y, int from_y = 0);

// Files: a scratch folder removed with its contents at the end of the scope,
// and a whole file's bytes ("" for anything but a regular file).
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    std::string operator/(const std::string &name) const { return path + "/" + name; }
    std::string path;
};
std::string read_file(const std::string &path);

// Levels. The values of src/level/levelN.txt in order, read apart from the
// build's checker and the loader (the tests run from the repository root), so
// that tests of levels hold for any valid level a player installs.
std::vector<int64_t> level_text_values(int n);
// The grid's rows 1..288, columns 1..32 hold what a load of level n puts there,
// row by row: its text's values, then on into the next levels' texts (those of
// 2..5 are 33 values short of the grid), then zeros past the last. If not, the
// failure names the first cell that differs.
testing::AssertionResult grid_holds_level(int n);
// A grid holding only the two anchors and `extra`, (row, col, value) each; its
// export's text; and that text's values, as a level file hands them to the game.
using Placed = std::initializer_list<std::array<int32_t, 3>>;
const LevelCells &anchored_grid(Placed extra = {});
std::string level_text(Placed extra = {});
const int32_t *level_file_values(Placed extra = {});
// The text of `cells` in `layout`.
std::string format_text(const LevelLayout &layout, const LevelCells &cells);
