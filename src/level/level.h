// Folder level/, a rules tier: the grid, the built-in levels and the level text.
//
// The level grid, the built-in level loader and the text export.
#pragma once

#include <cstdint>

#include "core/constants.h"
#include "core/game_state.h"

// True when (row, col) lies in the grid.
inline bool in_grid(int32_t row, int32_t col) { return row >= 0 && row < GRID_ROWS && col >= 0 && col < GRID_COLS; }
// Cell (row, col), or CELL_EMPTY for any place outside rows 0..288, columns 0..32.
// Inline: the world's walk looks up every cell in view two or three times a frame.
inline int32_t cell_at(int32_t row, int32_t col) { return in_grid(row, col) ? game.grid[row][col] : CELL_EMPTY; }

// The reader shared by all loads: seek to a level's first value, then read on,
// into the next level and, past the end of the table, zeros.
void seek_level(int32_t n);
int32_t next_value();
// Copies 9216 values from built-in level n into rows 1..288, columns 1..32.
void load_level(int32_t n);

// A level file named on the command line: play level 2's place in the cycle
// (the first level after S, and again after level 5), or the editor's grid.
constexpr int32_t LEVEL_FILE_SLOT = FIRST_GAME_LEVEL;
// Takes the 9183 values of a checked play-level text; nullptr: none again.
void use_level_file(const int32_t *values);
// The editor's grid: the empty template; with a level file, the file's values
// put back in the cells the export took them from, and the numbering of
// placed walkers and turrets going on after the highest codes in it.
void load_editor_level();

// Writes the grid as a level text, in the export layout, to level.txt (or
// the file set below) and flushes it to the disk; counts it in game.exports.
// The old file is replaced only once the new one is complete. False on
// failure, the old file as it was and one line on stderr having said why.
bool write_level_text();
// Where write_level_text writes: level.txt, the editor's FILE, or a test's.
void set_level_text_path(const char *path);
const char *level_text_file();
