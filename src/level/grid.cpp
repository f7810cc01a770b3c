#include "level/level.h"

#include <cstring>

#include "core/game_state.h"
#include "level/level_table.h"
#include "level/level_text.h"

namespace {

int32_t level_file[EXPORT_LAYOUT.values];
bool level_file_in_use = false;

// The code after the highest of lo..hi in the level file, and never below `first`.
int32_t code_after(int32_t lo, int32_t hi, int32_t first) {
    int32_t next = first;
    for (int32_t v : level_file)
        if (v >= lo && v <= hi && v >= next) next = v + 1;
    return next;
}

}  // namespace

void seek_level(int32_t n) {
    if (n < 1 || n > LEVEL_COUNT) n = 1;
    game.level_reader = LEVEL_START[n];
}

int32_t next_value() {
    if (game.level_reader < 0 || game.level_reader >= LEVEL_TABLE_SIZE) return 0;
    return LEVEL_TABLE[game.level_reader++];
}

// A level file in level 2's place is as short as a built-in one, so its load
// runs on into the values of level 3 just as level 2's does.
void load_level(int32_t n) {
    const bool from_file = level_file_in_use && n == LEVEL_FILE_SLOT;
    seek_level(from_file ? n + 1 : n);
    const int32_t from_text = from_file ? EXPORT_LAYOUT.values : 0;
    load_level_values(level_file, from_text, game.grid);
    for (int32_t k = from_text; k < TEMPLATE_LAYOUT.values; ++k) {
        int32_t row, col;
        loaded_cell(k, row, col);
        game.grid[row][col] = next_value();
    }
}

void use_level_file(const int32_t *values) {
    level_file_in_use = values != nullptr;
    if (values) std::memcpy(level_file, values, sizeof level_file);
}

void load_editor_level() {
    load_level(EDITOR_TEMPLATE_LEVEL);
    if (!level_file_in_use) return;
    place_level_values(EXPORT_LAYOUT, level_file, game.grid);
    game.next_walker_code = code_after(CELL_WALKER_FIRST, EDITOR_WALKER_CODE_END - 1, EDITOR_FIRST_WALKER_CODE);
    game.next_right_turret_code =
        code_after(CELL_RIGHT_TURRET_FIRST, EDITOR_RIGHT_TURRET_CODE_END - 1, EDITOR_FIRST_RIGHT_TURRET_CODE);
    game.next_left_turret_code =
        code_after(EDITOR_FIRST_LEFT_TURRET_CODE, EDITOR_LEFT_TURRET_CODE_END - 1, EDITOR_FIRST_LEFT_TURRET_CODE);
}
