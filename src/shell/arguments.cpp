#include "shell/arguments.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "core/constants.h"
#include "level/level.h"
#include "level/level_text.h"

namespace {

constexpr int EXIT_BAD_ARGUMENTS = 2;

const char GAME_USAGE[] =
    "usage: upshot [--level FILE]    (plays FILE, a level saved by upshot-editor, as the first level after S)\n";
const char EDITOR_USAGE[] =
    "usage: upshot-editor [FILE]    (edits FILE, or a new empty level there; right Shift saves to FILE or level.txt)\n";

int usage(const char *text, bool asked) {
    std::fputs(text, asked ? stdout : stderr);
    return asked ? 0 : EXIT_BAD_ARGUMENTS;
}

LevelValues level_values;

bool take_level_file(const char *path) {
    LevelTextError error;
    if (!read_level_text(path, LEVEL_FILE_SLOT, level_values, error)) {
        print_level_text_error(path, error);
        return false;
    }
    use_level_file(level_values.value);
    return true;
}

// The editor saves beside the file and renames over it, so the folder must
// take new files; better said now than after an hour of editing.
bool folder_takes_files(const char *path) {
    char folder[4096];
    const char *slash = std::strrchr(path, '/');
    if (!slash)
        std::snprintf(folder, sizeof folder, ".");
    else
        std::snprintf(folder, sizeof folder, "%.*s", static_cast<int>(slash == path ? 1 : slash - path), path);
    if (access(folder, W_OK | X_OK) == 0) return true;
    std::fprintf(stderr, "%s: cannot be written: %s\n", path, std::strerror(errno));
    return false;
}

bool open_for_editing(const char *path) {
    struct stat st;
    const bool exists = stat(path, &st) == 0 || errno != ENOENT;
    if (exists && !take_level_file(path)) return false;
    if (!folder_takes_files(path)) return false;
    set_level_text_path(path);
    return true;
}

}  // namespace

int take_arguments(int mode, int argc, char **argv) {
    if (argc <= 1) return ARGUMENTS_TAKEN;
    const bool editor = mode == MODE_EDITOR;
    const char *const text = editor ? EDITOR_USAGE : GAME_USAGE;
    const std::string_view first = argv[1];
    if (argc == 2 && (first == "--help" || first == "-h")) return usage(text, true);
    if (editor && argc == 2 && !first.empty() && first[0] != '-')
        return open_for_editing(argv[1]) ? ARGUMENTS_TAKEN : EXIT_BAD_ARGUMENTS;
    if (!editor && argc == 3 && first == "--level")
        return take_level_file(argv[2]) ? ARGUMENTS_TAKEN : EXIT_BAD_ARGUMENTS;
    return usage(text, false);
}
