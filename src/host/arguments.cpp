#include "host/arguments.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "core/build_info.h"
#include "core/constants.h"
#include "core/regular_file.h"
#include "level/level.h"
#include "level/level_text.h"
#include "host/recording.h"
#include "host/script_reader.h"

namespace {

constexpr int EXIT_BAD_ARGUMENTS = 2;

LevelValues level_values;
uint64_t level_file_checksum;  // of the --level file as read

// The program whose arguments these are, for the start of each message.
const char *who = "upshot";

bool take_level_file(const char *path) {
    LevelTextError error;
    if (!read_level_text(path, LEVEL_FILE_SLOT, level_values, error, &level_file_checksum)) {
        print_level_text_error(path, error);
        return false;
    }
    use_level_file(level_values.value);
    return true;
}

bool open_for_editing(const char *path) {
    struct stat st;
    const bool exists = stat(path, &st) == 0 || errno != ENOENT;
    if (exists && !take_level_file(path)) return false;
    // The editor saves beside the file and renames over it, so the folder must
    // take new files; better said now than after an hour of editing.
    if (!folder_takes_files(path)) {
        std::fprintf(stderr, "%s: %s: cannot be written: %s\n", who, path, std::strerror(errno));
        return false;
    }
    set_level_text_path(path);
    return true;
}

bool take_scale(const char *value, int &scale) {
    const std::string_view v = value;
    if (v == "auto") {
        scale = SCALE_AUTO;
        return true;
    }
    if (v.size() == 1 && v[0] >= '1' && v[0] - '0' <= LARGEST_SCALE) {
        scale = v[0] - '0';
        return true;
    }
    std::fprintf(stderr, "%s: --scale: %s is not a whole number from 1 to %d, nor auto\n", who, quoted(value).c_str(),
                 LARGEST_SCALE);
    return false;
}

// Which program takes an option.
enum : unsigned { GAME = 1, EDITOR = 2 };

// One row per option, in the order --help lists them: its name, the programs
// that take it, the value that follows it (as `--name VALUE` or
// `--name=VALUE`), what it does (for --help), and where its value goes. Each
// may be given once.
struct Option {
    const char *name;
    unsigned programs;
    const char *value;
    const char *help;
    const char *Options::*given;
};
const Option OPTIONS[] = {
    {.name = "--level", .programs = GAME, .value = "FILE",
     .help = "play FILE, a level saved by upshot-editor, as the first level after S", .given = &Options::level},
    {.name = "--scale", .programs = GAME | EDITOR, .value = "N|auto",
     .help = "a window N (1 to 8) times as wide and high, or the largest that fits the desktop", .given = &Options::scale},
    {.name = "--record", .programs = GAME, .value = "FILE",
     .help = "write the run to FILE as it is played, a script for upshot-replay", .given = &Options::record},
    {.name = "--watch", .programs = GAME, .value = "FILE",
     .help = "show the run recorded in FILE, then end (Escape ends it sooner)", .given = &Options::watch},
};
constexpr int OPTION_COUNT = sizeof OPTIONS / sizeof OPTIONS[0];

// The editor's one argument that is not an option.
const char EDITOR_FILE[] = "FILE";
const char EDITOR_FILE_HELP[] = "edit FILE, or a new empty level there; right Shift saves to FILE (level.txt without it)";

void print_usage(unsigned program, std::FILE *to) {
    std::fprintf(to, "usage: %s", who);
    if (program == EDITOR) std::fprintf(to, " [%s]", EDITOR_FILE);
    for (const Option &o : OPTIONS)
        if (o.programs & program) std::fprintf(to, " [%s %s]", o.name, o.value);
    std::fprintf(to, " [--help] [--version]\n");
}

void print_help(unsigned program) {
    print_usage(program, stdout);
    if (program == EDITOR) std::printf("  %-16s %s\n", EDITOR_FILE, EDITOR_FILE_HELP);
    char both[64];
    for (const Option &o : OPTIONS) {
        if (!(o.programs & program)) continue;
        std::snprintf(both, sizeof both, "%s %s", o.name, o.value);
        std::printf("  %-16s %s\n", both, o.help);
    }
    std::printf("  %-16s %s\n  %-16s %s\n", "--help", "show this and end", "--version", "show the version and end");
}

// What is wrong, one line naming it, then the usage line.
__attribute__((format(printf, 2, 3))) int bad_usage(unsigned program, const char *format, ...) {
    std::fprintf(stderr, "%s: ", who);
    std::va_list values;
    va_start(values, format);
    std::vfprintf(stderr, format, values);
    va_end(values);
    std::fputc('\n', stderr);
    print_usage(program, stderr);
    return EXIT_BAD_ARGUMENTS;
}

}  // namespace

const char *program_name(int mode) { return mode == MODE_EDITOR ? "upshot-editor" : "upshot"; }

namespace {

// The words into `options`, which are left as they were on a usage error.
// After `--` every word is a FILE.
int read_arguments(unsigned program, int argc, char **argv, Options &options) {
    Options read;
    bool options_over = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!options_over && arg == "--") {
            options_over = true;
            continue;
        }
        if (options_over || arg.size() < 2 || arg[0] != '-') {
            if (program != EDITOR || read.file) return bad_usage(program, "unexpected argument %s", quoted(arg).c_str());
            read.file = argv[i];
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            print_help(program);
            return 0;
        }
        if (arg == "--version") {
            print_version(who);
            return 0;
        }
        const size_t equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        const Option *row = OPTIONS;
        while (row < OPTIONS + OPTION_COUNT && !(name == row->name && (row->programs & program))) ++row;
        if (row == OPTIONS + OPTION_COUNT) return bad_usage(program, "unknown option %s", quoted(name).c_str());
        const char *&value = read.*row->given;
        if (value) return bad_usage(program, "%s is given twice", row->name);
        if (equals != arg.npos)
            value = argv[i] + equals + 1;
        else if (i + 1 < argc)
            value = argv[++i];
        else
            return bad_usage(program, "%s needs a value, %s", row->name, row->value);
    }
    // A recording names its own level file, and watching one records nothing.
    if (read.watch && (read.level || read.record))
        return bad_usage(program, "--watch cannot go with %s", read.level ? "--level" : "--record");
    options = read;
    return ARGUMENTS_TAKEN;
}

}  // namespace

int take_arguments(int mode, int argc, char **argv, Options &options) {
    const unsigned program = mode == MODE_EDITOR ? EDITOR : GAME;
    who = program_name(mode);
    const int read = read_arguments(program, argc, argv, options);
    if (read != ARGUMENTS_TAKEN) return read;
    const bool taken = (!options.level || take_level_file(options.level)) &&
                       (!options.scale || take_scale(options.scale, options.window_scale)) &&
                       (!options.record || open_recording(options.record, options.level, level_file_checksum)) &&
                       (!options.watch || open_watching(options.watch)) &&
                       (!options.file || open_for_editing(options.file));
    return taken ? ARGUMENTS_TAKEN : EXIT_BAD_ARGUMENTS;
}
