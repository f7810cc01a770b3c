#include <cstdio>

#include "core/game_state.h"
#include "core/save_file.h"
#include "level/level.h"
#include "level/level_text.h"

namespace {

char level_text_path[4096] = "level.txt";

char text[level_text_bytes(EXPORT_LAYOUT)];

}  // namespace

void set_level_text_path(const char *path) {
    std::snprintf(level_text_path, sizeof level_text_path, "%s", path);
}

const char *level_text_file() { return level_text_path; }

bool write_level_text() {
    const int len = format_level_text(EXPORT_LAYOUT, game.grid, text);
    SaveFailure failure;
    if (!replace_file(level_text_path, text, len, failure)) {
        print_save_failure(level_text_path, failure);
        return false;
    }
    ++game.exports;
    return true;
}
