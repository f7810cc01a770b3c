// Fuzz target for upshot-replay's script reader: lines as the reader hands
// them out, split into words and read as commands, with every path resolved.
// Whatever the bytes, nothing crashes or trips a sanitizer, and every path a
// command accepts resolves again, by the name the dump shows, to the same place.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "replay/script.h"

namespace {

// For the run's summary.
long tried, lines, commands, paths;
void summary() {
    std::fprintf(stderr, "script fuzz: %ld inputs tried, %ld lines, %ld read as commands, %ld paths resolved again\n",
                 tried, lines, commands, paths);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    std::atexit(summary);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ++tried;
    if (size == 0) return 0;
    std::FILE *in = fmemopen(const_cast<uint8_t *>(data), size, "rb");
    if (!in) return 0;
    LineReader reader(in);
    std::string line;
    std::vector<std::string_view> words;
    Command cmd;
    while (reader.next(line) == LineReader::LINE) {
        ++lines;
        split_words(line, words);
        if (words.empty() || !parse_command(words, cmd).empty()) continue;
        ++commands;
        for (size_t i = 0; i < cmd.names.size(); ++i, ++paths) {
            Place place;
            std::string name, error;
            if (!resolve_path(cmd.names[i], place, name, error) || name != cmd.names[i] ||
                place.field != cmd.places[i].field || place.offset != cmd.places[i].offset) {
                std::fprintf(stderr, "script fuzz: '%s' does not resolve to itself\n", cmd.names[i].c_str());
                std::abort();
            }
        }
    }
    std::fclose(in);
    return 0;
}
