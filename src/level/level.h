// Folder level/, a rules tier: the grid, the built-in levels and the level text.
// May include: core level
//
// The level grid, the built-in level loader and the text export.
#pragma once

#include <cstdint>

// Cell (row, col), or CELL_EMPTY for any place outside rows 0..288, columns 0..32.
int32_t cell_at(int32_t row, int32_t col);
// True when (row, col) lies in the grid.
bool in_grid(int32_t row, int32_t col);

// The reader shared by all loads: seek to a level's first value, then read on,
// into the next level and, past the end of the table, zeros.
void seek_level(int32_t n);
int32_t next_value();
// Copies 9216 values from built-in level n into rows 1..288, columns 1..32.
void load_level(int32_t n);

// Writes the grid to level.txt in the export layout. The old file is replaced
// only once the new one is complete; on failure it stays as it was.
void save_level_text();
// Where save_level_text writes; tests point it elsewhere.
void set_level_text_path(const char *path);
