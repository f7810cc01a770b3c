// Fuzz target for the level text. Whatever the bytes, the reader and checker
// neither crash nor trip a sanitizer; they read the same in pieces as whole;
// and a text they accept, put into a grid and written out, reads back to the
// same grid, and writing that grid again gives the same bytes.
//
// Byte changes to a valid text nearly always break it, so half the mutations
// work on the values instead: change a few and write them all out again with
// spacing, signs, leading zeros and line ends of the fuzzer's choosing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "level/level_text.h"

namespace {

LevelValues whole, pieces, again;
LevelCells cells;
char text[LONGEST_LEVEL_TEXT], text_again[LONGEST_LEVEL_TEXT];

void require(bool holds, const char *what) {
    if (holds) return;
    std::fprintf(stderr, "level text fuzz: %s\n", what);
    std::abort();
}

bool same_error(const LevelTextError &a, const LevelTextError &b) {
    return a.fault == b.fault && a.line == b.line && std::strcmp(a.words, b.words) == 0;
}

bool same_values(const LevelValues &a, const LevelValues &b) {
    return a.count == b.count && std::memcmp(a.value, b.value, sizeof(int32_t) * a.count) == 0;
}

// A small generator of the mutator's own, from the seed libFuzzer gives it.
struct Dice {
    uint64_t state;
    uint32_t roll(uint32_t n) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        return static_cast<uint32_t>(state >> 33) % n;
    }
};

int32_t some_value(Dice &dice) {
    switch (dice.roll(8)) {
        case 0: return CELL_EMPTY;
        case 1: return CELL_BLOCK;
        case 2: return CELL_CURSOR;
        case 3: return CELL_PLAYER;
        case 4: return INT32_MIN + static_cast<int32_t>(dice.roll(2));
        case 5: return INT32_MAX - static_cast<int32_t>(dice.roll(2));
        case 6: return static_cast<int32_t>(dice.roll(1u << 31)) - (1 << 30);
        default: return CELL_WALKER_FIRST + static_cast<int32_t>(dice.roll(CELL_LEFT_TURRET_LAST - CELL_WALKER_FIRST + 1));
    }
}

// Writes `values` out as a text the reader should take, laid out at random;
// returns its length, or 0 if it would not fit.
size_t write_loosely(const LevelValues &v, Dice &dice, uint8_t *out, size_t room) {
    size_t len = 0;
    auto put = [&](const char *s, size_t n) {
        if (len + n > room) return false;
        std::memcpy(out + len, s, n);
        len += n;
        return true;
    };
    const bool crlf = dice.roll(2), padded = dice.roll(2);
    const uint32_t per_line = 1 + dice.roll(64);
    for (int32_t k = 0; k < v.count && k < LEVEL_VALUES_KEPT; ++k) {
        char field[32];
        const int32_t value = v.value[k];
        const bool plus = value >= 0 && dice.roll(16) == 0;
        const int zeros = dice.roll(16) == 0 ? 1 + dice.roll(3) : 0;
        const unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
        int n = std::snprintf(field, sizeof field, "%s%s%.*s%u%s,", padded ? " " : "",
                              value < 0 ? "-" : plus ? "+" : "", zeros, "000", magnitude, dice.roll(8) ? "" : "\t ");
        if (!put(field, n)) return 0;
        if ((k + 1) % per_line == 0 && !(crlf ? put("\r\n", 2) : put("\n", 1))) return 0;
    }
    return len;
}

// How many inputs were tried, read and taken as a level, for the run's summary.
long tried, parsed, accepted;
void summary() {
    std::fprintf(stderr, "level text fuzz: %ld inputs tried, %ld read as values, %ld taken as a level and round-tripped\n",
                 tried, parsed, accepted);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    std::atexit(summary);
    return 0;
}

extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t max_size);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t max_size, unsigned int seed) {
    static LevelValues values;
    LevelTextError error;
    Dice dice{seed};
    if (dice.roll(2) || !parse_level_text(reinterpret_cast<const char *>(data), size, values, error) ||
        values.count > LEVEL_VALUES_KEPT)
        return LLVMFuzzerMutate(data, size, max_size);
    for (uint32_t changes = 1 + dice.roll(3); changes > 0; --changes) {
        if (values.count == 0) break;
        const int32_t k = static_cast<int32_t>(dice.roll(values.count));
        switch (dice.roll(16)) {
            case 0: values.count = k; break;  // cut the rest off
            case 1: std::swap(values.value[k], values.value[dice.roll(values.count)]); break;
            default: values.value[k] = some_value(dice); break;
        }
    }
    const size_t len = write_loosely(values, dice, data, max_size);
    return len > 0 ? len : LLVMFuzzerMutate(data, size, max_size);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const char *bytes = reinterpret_cast<const char *>(data);
    LevelTextError error, piece_error;
    const bool read = parse_level_text(bytes, size, whole, error);
    ++tried;

    // The same bytes in pieces of a size the input chooses.
    const size_t piece = size > 0 ? 1 + data[size - 1] % 61 : 1;
    LevelTextReader reader;
    begin_level_text(reader, pieces, piece_error);
    bool fed = true;
    for (size_t at = 0; at < size && fed; at += piece) fed = feed_level_text(reader, bytes + at, std::min(piece, size - at));
    fed = fed && end_level_text(reader);
    require(fed == read && pieces.count == whole.count && same_error(piece_error, error), "pieces read differently");
    if (!read) return 0;
    ++parsed;

    for (int32_t level : {EDITOR_TEMPLATE_LEVEL, FIRST_GAME_LEVEL}) {
        if (!check_level_values(whole, level, error)) continue;
        ++accepted;
        const LevelLayout &layout = layout_of_level(level);
        std::memset(cells, 0, sizeof cells);
        place_level_values(layout, whole.value, cells);
        const int32_t length = format_level_text(layout, cells, text);
        require(length == level_text_bytes(layout), "a text of the wrong length");
        require(parse_level_text(text, length, again, error) && check_level_values(again, level, error),
                "a written text is refused");
        require(same_values(again, whole), "a written text reads back to another grid");
        std::memset(cells, 0, sizeof cells);
        place_level_values(layout, again.value, cells);
        require(format_level_text(layout, cells, text_again) == length && std::memcmp(text, text_again, length) == 0,
                "a grid read back writes out differently");
    }
    return 0;
}
