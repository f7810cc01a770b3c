// The level text: the one reader, checker and writer of the layout in which
// the editor exports a level and the built-in levels are kept. The game, the
// build's level_pack, make_levels and the tests all go through it.
//
// Nothing here touches the game state or the heap, so the build's tools can
// use it before the game exists, and the game can read a level file with it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/constants.h"

// Where every level keeps the editor cursor and the player anchor.
constexpr int32_t CURSOR_ROW = 1, CURSOR_COL = 1;
constexpr int32_t PLAYER_ROW = 25, PLAYER_COL = 15;

// The order in which a text lists the grid's cells: line 1 holds row 1 from
// column `first_col_line1`, every later line one row from `first_col`, each
// to `last_col`, for rows 1..last_row.
struct LevelLayout {
    int32_t values;
    int32_t last_row;
    int32_t first_col_line1, first_col, last_col;
};

// Level 1, the editor's empty template: rows 1..288, columns 1..32, exactly
// what a load fills.
constexpr LevelLayout TEMPLATE_LAYOUT = {
    .values = LEVEL_ROWS * LEVEL_COLS, .last_row = LEVEL_ROWS, .first_col_line1 = 1, .first_col = 1, .last_col = LEVEL_COLS};
// What right Shift writes, and levels 2..5: one value short at the start and
// 32 at the end, so a load runs on into the values that follow.
constexpr LevelLayout EXPORT_LAYOUT = {.values = EXPORT_LAST_COL + (EXPORT_LAST_ROW - 1) * (EXPORT_LAST_COL + 1),
                                       .last_row = EXPORT_LAST_ROW,
                                       .first_col_line1 = 1,
                                       .first_col = 0,
                                       .last_col = EXPORT_LAST_COL};
constexpr const LevelLayout &layout_of_level(int32_t n) {
    return n == EDITOR_TEMPLATE_LEVEL ? TEMPLATE_LAYOUT : EXPORT_LAYOUT;
}

// Bytes of a text as the game writes it: 14-character fields, CR LF line ends.
constexpr int32_t level_text_bytes(const LevelLayout &l) {
    return (l.last_col - l.first_col_line1 + 1) * EXPORT_FIELD_WIDTH + 2 +
           (l.last_row - 1) * ((l.last_col - l.first_col + 1) * EXPORT_FIELD_WIDTH + 2);
}
constexpr int32_t LONGEST_LEVEL_TEXT = level_text_bytes(TEMPLATE_LAYOUT);
static_assert(level_text_bytes(EXPORT_LAYOUT) == 129136);

// Spacing carries no meaning, so a valid text can be long; past this it is
// refused before it is read.
constexpr int64_t LEVEL_TEXT_MAX_BYTES = 10 * 1024 * 1024;

using LevelCells = int32_t[GRID_ROWS][GRID_COLS];

// An empty level: every cell empty but the two anchors.
void empty_level(LevelCells &cells);

// The cell from which a text in `layout` takes its value k, 0-based.
void layout_cell(const LevelLayout &layout, int32_t k, int32_t &row, int32_t &col);

// Writes the cells in `layout` into `out`, which holds level_text_bytes(layout)
// bytes: each value as "% d," padded to 14 characters, every line ended by
// CR LF. Returns the length.
int32_t format_level_text(const LevelLayout &layout, const LevelCells &cells, char *out);

// A text's values in order with the line each stands on. `count` is how many
// the text holds; only the first TEMPLATE_LAYOUT.values + 1 are kept, enough
// to name the first value too many of either layout.
constexpr int32_t LEVEL_VALUES_KEPT = TEMPLATE_LAYOUT.values + 1;
struct LevelValues {
    int32_t count;
    int32_t value[LEVEL_VALUES_KEPT];
    int32_t line[LEVEL_VALUES_KEPT];
};

// Puts the layout.values values of a text in `layout` back into the cells it
// took them from; other cells are left alone.
void place_level_values(const LevelLayout &layout, const int32_t *values, LevelCells &cells);

// Where a load for play puts value k of a level, whatever layout its text is
// in: the template's order, row 1 + k / 32, column 1 + k % 32. A play level's
// text is 33 values short of that, so its load runs on into the values after it.
void loaded_cell(int32_t k, int32_t &row, int32_t &col);
// Puts the first `count` values of a text where a load for play puts them.
void load_level_values(const int32_t *values, int32_t count, LevelCells &cells);

// What is wrong with a text, one kind per rule.
enum class LevelTextFault : uint8_t {
    NONE,
    UNREADABLE,      // cannot be opened or read
    NOT_A_FILE,      // a directory, a FIFO, a device: anything but a regular file
    TOO_LARGE,       // over LEVEL_TEXT_MAX_BYTES
    NOT_TEXT,        // a byte that no level text holds
    LONE_CR,         // a carriage return not followed by a line feed
    EMPTY_VALUE,     // a comma with nothing before it
    NOT_INTEGER,     // a value that is not a decimal integer
    NO_COMMA,        // a value at the end of a line without its comma
    TOO_WIDE,        // a value beyond 32 bits
    WRONG_COUNT,     // not the number of values the level needs
    NO_CURSOR,       // the first value is not the editor cursor
    NO_PLAYER,       // cell (25, 15) is not the player anchor
    UNUSED_CODE,     // 3, 104, 154 or 204, which the game never hands out
    DUPLICATE_CODE,  // an object code used twice
};

// The fault, the line it is on (0 when it is the file's as a whole) and the
// words that say it, for file_fault (core/message.h).
struct LevelTextError {
    LevelTextFault fault;
    int32_t line;
    char words[160];
};

// Reads a text fed in pieces of any size; the values and faults are the same
// however it is cut.
struct LevelTextReader {
    LevelValues *values;
    LevelTextError *error;
    int32_t line;
    bool after_cr;
    // The value being read, from its first non-blank character.
    int32_t length;           // up to its last non-blank character
    int32_t blanks;           // blanks since then
    int32_t digits;           // digits after the optional sign
    bool negative;
    bool malformed;           // anything but a sign and digits
    int64_t magnitude;        // stops growing once past 32 bits
    char shown[48];           // its first characters, for the message
};
void begin_level_text(LevelTextReader &reader, LevelValues &values, LevelTextError &error);
// Both return false once a fault is found; later calls change nothing.
bool feed_level_text(LevelTextReader &reader, const char *bytes, size_t size);
bool end_level_text(LevelTextReader &reader);

// The whole text at once.
bool parse_level_text(const char *text, size_t size, LevelValues &values, LevelTextError &error);

// Checks parsed values as level n: 9216 values for level 1, 9183 for a play
// level, the editor cursor first, the player anchor at cell (25, 15), no object
// code twice and none of the four the game never hands out.
bool check_level_values(const LevelValues &values, int32_t n, LevelTextError &error);

// Reads, parses and checks the file at `path` as level n. Only a regular file
// is read (open_regular_file), its size is looked at first and no more than
// LEVEL_TEXT_MAX_BYTES are ever read. With `checksum`, the same pass gives the
// level_checksum of every byte of the file, even past a fault in the text;
// it means nothing after an UNREADABLE, NOT_A_FILE or TOO_LARGE fault.
bool read_level_text(const char *path, int32_t n, LevelValues &values, LevelTextError &error,
                     uint64_t *checksum = nullptr);

// A checksum of a level file's bytes, 64-bit FNV-1a: enough to tell an edited
// level file from the one a recording was made with. Fed in pieces from
// LEVEL_CHECKSUM_START.
constexpr uint64_t LEVEL_CHECKSUM_START = 0xcbf29ce484222325ULL;
uint64_t level_checksum(uint64_t sum, const char *bytes, size_t size);

// "PROGRAM: PATH:LINE: words" (or "PROGRAM: PATH: words"), one line on
// standard error.
void print_level_text_error(const char *path, const LevelTextError &error);
