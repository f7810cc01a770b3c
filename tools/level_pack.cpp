// level_pack: checks the five level texts and joins them into the built-in
// level table. Run by the build; a malformed text stops the build with a message
// naming the file, the line and what is wrong, and nothing is written.
//
//   level_pack OUT.cpp LEVEL1.txt LEVEL2.txt ... LEVEL5.txt
//   level_pack --check N LEVEL.txt [OUT.txt]
//       checks one text as level N; with OUT.txt also writes it there in exactly
//       the layout the editor exports, whatever its spacing was, so an installed
//       level is always laid out as the shipped ones are
// Both write beside the target, flush to the disk and rename over it, so an
// old file is never left half written.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "core/constants.h"
#include "core/message.h"
#include "core/save_file.h"
#include "level/level_text.h"

namespace {

LevelValues levels[LEVEL_COUNT];

bool read_level(const char *file, int level, LevelValues &values) {
    LevelTextError error;
    if (read_level_text(file, level, values, error)) return true;
    print_level_text_error(file, error);
    return false;
}

bool save(const char *path, const char *data, size_t size) {
    SaveFailure failure;
    if (replace_file(path, data, size, failure)) return true;
    print_save_failure(path, failure);
    return false;
}

bool write_table(const std::string &out_path) {
    std::ostringstream out;
    out << "// Made by tools/level_pack from src/level/level1.txt .. level5.txt; do not edit.\n"
           "#include \"level/level_table.h\"\n\n"
           "const int32_t LEVEL_TABLE[] = {\n";
    long long size = 0;
    std::string starts;
    for (const LevelValues &level : levels) {
        starts += ", " + std::to_string(size);
        for (int32_t i = 0; i < level.count; ++i) out << level.value[i] << (i % 32 == 31 ? ",\n" : ",");
        out << "\n";
        size += level.count;
    }
    out << "};\nconst int32_t LEVEL_TABLE_SIZE = " << size << ";\nconst int32_t LEVEL_START[LEVEL_COUNT + 1] = {0"
        << starts << "};\n";
    const std::string table = out.str();
    return save(out_path.c_str(), table.data(), table.size());
}

// The checked values of `level`, laid out as the editor writes them.
bool write_level_text(const char *out_path, int level, const LevelValues &values) {
    static LevelCells cells;
    static char text[LONGEST_LEVEL_TEXT];
    const LevelLayout &layout = layout_of_level(level);
    place_level_values(layout, values.value, cells);
    return save(out_path, text, format_level_text(layout, cells, text));
}

}  // namespace

int main(int argc, char **argv) {
    if ((argc == 4 || argc == 5) && std::string(argv[1]) == "--check") {
        const std::string number = argv[2];
        const int level = number.size() == 1 ? number[0] - '0' : 0;
        if (level < 1 || level > LEVEL_COUNT) {
            print_message("the level number must be 1..%d, not '%s'", LEVEL_COUNT, number.c_str());
            return 2;
        }
        if (!read_level(argv[3], level, levels[0])) return 1;
        return argc == 4 || write_level_text(argv[4], level, levels[0]) ? 0 : 1;
    }
    if (argc != 2 + LEVEL_COUNT) {
        std::cerr << "usage: level_pack OUT.cpp LEVEL1.txt ... LEVEL5.txt | level_pack --check N LEVEL.txt [OUT.txt]\n";
        return 2;
    }
    for (int n = 1; n <= LEVEL_COUNT; ++n)
        if (!read_level(argv[1 + n], n, levels[n - 1])) return 1;
    return write_table(argv[1]) ? 0 : 1;
}
