#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "level/level_text.h"

namespace {

namespace fs = std::filesystem;

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string format(const LevelLayout &layout, const LevelCells &cells) {
    static char text[LONGEST_LEVEL_TEXT];
    return std::string(text, format_level_text(layout, cells, text));
}

LevelValues values;
LevelCells cells, again;

// What parsing `text` says, as "LINE: words", or "ok".
std::string verdict(const std::string &text, int level = 2) {
    LevelTextError error;
    if (parse_level_text(text.data(), text.size(), values, error) && check_level_values(values, level, error))
        return "ok";
    return std::to_string(error.line) + ": " + error.words;
}

// The export of a grid holding only the two anchors and `extra`, a list of
// (row, col, value) put in after them.
std::string level_text(std::initializer_list<std::array<int32_t, 3>> extra = {}) {
    std::memset(cells, 0, sizeof cells);
    cells[CURSOR_ROW][CURSOR_COL] = CELL_CURSOR;
    cells[PLAYER_ROW][PLAYER_COL] = CELL_PLAYER;
    for (auto [r, c, v] : extra) cells[r][c] = v;
    return format(EXPORT_LAYOUT, cells);
}

// Replaces the field at line `line`, field `index` (both from 1) of a text in
// the game's layout.
std::string with_field(std::string text, int line, int index, const std::string &field) {
    size_t at = 0;
    for (int l = 1; l < line; ++l) at = text.find('\n', at) + 1;
    text.replace(at + (index - 1) * EXPORT_FIELD_WIDTH, EXPORT_FIELD_WIDTH, field);
    return text;
}

// Every shipped level is the export's own output: parsing it and writing the
// grid out again gives it back byte for byte, and so does every other grid.
TEST(LevelText, FormatsEveryShippedLevelBackToItsOwnBytes) {
    for (int n = 1; n <= LEVEL_COUNT; ++n) {
        const std::string path = "src/level/level" + std::to_string(n) + ".txt", text = read_file(path);
        const LevelLayout &layout = layout_of_level(n);
        ASSERT_EQ(verdict(text, n), "ok") << path;
        EXPECT_EQ(values.count, layout.values);
        EXPECT_EQ(static_cast<int32_t>(text.size()), level_text_bytes(layout));
        std::memset(cells, 0, sizeof cells);
        place_level_values(layout, values.value, cells);
        EXPECT_EQ(format(layout, cells), text) << path;
    }
}

// Any grid, values of every width in the cells a layout covers, goes out and
// back unchanged; the cells it leaves out are not written at all.
TEST(LevelText, AnyGridGoesOutAndBackAgain) {
    for (const LevelLayout *layout : {&TEMPLATE_LAYOUT, &EXPORT_LAYOUT}) {
        std::memset(cells, 0, sizeof cells);
        uint32_t x = 12345;
        for (auto &row : cells)
            for (int32_t &v : row) {
                x = x * 1103515245u + 12345u;
                v = static_cast<int32_t>(x) >> (x % 31);
            }
        cells[2][0] = INT32_MIN, cells[3][layout->last_col] = INT32_MAX, cells[4][5] = -1, cells[5][6] = 0;
        const std::string text = format(*layout, cells);
        ASSERT_EQ(static_cast<int32_t>(text.size()), level_text_bytes(*layout));
        LevelTextError error;
        ASSERT_TRUE(parse_level_text(text.data(), text.size(), values, error)) << error.words;
        ASSERT_EQ(values.count, layout->values);
        std::memset(again, 0x55, sizeof again);
        place_level_values(*layout, values.value, again);
        int32_t differ = 0, written = 0;
        for (int32_t r = 0; r < GRID_ROWS; ++r)
            for (int32_t c = 0; c < GRID_COLS; ++c) {
                const bool covered = r >= 1 && r <= layout->last_row && c <= layout->last_col &&
                                     c >= (r == 1 ? layout->first_col_line1 : layout->first_col);
                written += again[r][c] != 0x55555555;
                differ += covered && again[r][c] != cells[r][c];
            }
        EXPECT_EQ(differ, 0);
        EXPECT_EQ(written, layout->values);
        EXPECT_EQ(format(*layout, again), text);
    }
}

// Spacing and line breaks carry no meaning: the same values in any layout of
// blanks, with LF or CR LF line ends, a '+' sign or leading zeros, read the same.
TEST(LevelText, ReadsTheValuesWhateverTheSpacing) {
    const std::string canonical = level_text({{5, 0, -7}, {9, 3, 45}});
    ASSERT_EQ(verdict(canonical), "ok");
    const LevelValues want = values;
    std::string loose;
    for (int32_t k = 0; k < want.count; ++k) {
        const int32_t v = want.value[k];
        loose += (k % 100 == 0 ? "\n" : k % 7 == 0 ? "\t" : "") + (v == 45 ? std::string("+0045") : std::to_string(v)) +
                 (k % 3 ? " ," : ",");
    }
    ASSERT_EQ(verdict(loose + "  \n"), "ok");
    EXPECT_EQ(values.count, want.count);
    EXPECT_EQ(std::memcmp(values.value, want.value, sizeof(int32_t) * want.count), 0);
}

// One fault at a time, each named with its line and in the words level_pack
// prints; a value too long to show whole is cut.
TEST(LevelText, NamesTheFirstFaultWithItsLine) {
    const std::string good = level_text();
    const std::string long_value(60, '7');
    const struct { std::string text, want; } cases[] = {
        {with_field(good, 40, 3, " 0,,          "), "40: a comma with no value before it"},
        {with_field(good, 40, 3, " x7,          "), "40: 'x7' is not a decimal integer"},
        {with_field(good, 40, 3, " 1 2,         "), "40: '1 2' is not a decimal integer"},
        {with_field(good, 40, 3, " -,           "), "40: '-' is not a decimal integer"},
        {with_field(good, 40, 3, " 2147483648,  "), "40: '2147483648' does not fit 32 bits"},
        {with_field(good, 40, 3, " " + long_value.substr(0, 12) + ","), "40: '777777777777' does not fit 32 bits"},
        {good.substr(0, good.size() - 4) + " 5\r\n", "287: '5' is not followed by a comma"},
        {good + " 7", "288: '7' is not followed by a comma"},
        {good + long_value, "288: '" + long_value.substr(0, 40) + "...' is not followed by a comma"},
        {with_field(good, 3, 2, " 0,\r 0,       "), "3: a carriage return without a line feed"},
        {good.substr(0, good.size() - 1), "287: a carriage return without a line feed"},
        {with_field(good, 7, 1, std::string(" 0,") + '\0' + std::string(10, ' ')),
         "7: holds the byte 0x00, so it is not a level text"},
        {with_field(good, 8, 1, " 0,\xef\xbb\xbf" + std::string(8, ' ')), "8: holds the byte 0xef, so it is not a level text"},
        {"", "1: holds 0 values, level 2 needs 9183"},
        {good.substr(0, good.size() - 450), "286: holds 9151 values, level 2 needs 9183"},
        {good + " 0, 0,\r\n", "288: holds 9185 values, level 2 needs 9183; the first extra value is on this line"},
        {with_field(good, 1, 1, " 0,           "), "1: the first value is 0, not the editor cursor 1014"},
        {with_field(good, 25, 16, " 2,           "), "25: cell (25, 15) holds 2, not the player anchor 1"},
        {with_field(good, 200, 1, " 104,         "), "200: code 104 is never used in a level"},
        {with_field(with_field(good, 20, 4, " 66,          "), 90, 1, " 66,          "),
         "90: object code 66 is used twice (first on line 20)"},
    };
    for (const auto &c : cases) EXPECT_EQ(verdict(c.text), c.want);
    // The other layout's count, and values that are fine where no object code is.
    EXPECT_EQ(verdict(good, 1), "287: holds 9183 values, level 1 needs 9216");
    EXPECT_EQ(verdict(level_text({{4, 4, -2147483647 - 1}, {5, 5, 205}, {6, 6, 1014}, {7, 7, 2}, {8, 8, 2}})), "ok");
}

// However the text is cut into pieces, the reader finds the same values and
// the same fault at the same place.
TEST(LevelText, ReadsTheSameInPiecesOfAnySize) {
    const std::string texts[] = {level_text({{30, 0, 77}}), with_field(level_text(), 50, 9, " 12 34,      "),
                                 with_field(level_text(), 60, 2, " 0,\r\r\n        ")};
    for (const std::string &text : texts) {
        LevelTextError whole_error;
        static LevelValues whole;
        const bool whole_ok = parse_level_text(text.data(), text.size(), whole, whole_error);
        for (size_t piece : {1u, 2u, 13u, 4096u}) {
            LevelTextReader reader;
            LevelTextError error;
            begin_level_text(reader, values, error);
            bool ok = true;
            for (size_t at = 0; at < text.size() && ok; at += piece)
                ok = feed_level_text(reader, text.data() + at, std::min(piece, text.size() - at));
            ok = ok && end_level_text(reader);
            EXPECT_EQ(ok, whole_ok);
            EXPECT_EQ(values.count, whole.count) << piece;
            EXPECT_EQ(std::string(error.words) + "@" + std::to_string(error.line),
                      std::string(whole_error.words) + "@" + std::to_string(whole_error.line));
        }
    }
}

struct LevelTextFile : ::testing::Test {
    void TearDown() override { fs::remove_all(dir); }
    std::string verdict_of(const std::string &path) {
        LevelTextError error;
        if (read_level_text(path.c_str(), 2, values, error)) return "ok";
        return (error.line ? std::to_string(error.line) + ": " : "") + error.words;
    }
    char dir_template[24] = "/tmp/upshot-text-XXXXXX";
    const std::string dir = mkdtemp(dir_template);
};

TEST_F(LevelTextFile, ReadsAGoodFileAndRefusesWhatIsNoLevelText) {
    const std::string good = dir + "/good.txt", big = dir + "/big.txt";
    std::ofstream(good, std::ios::binary) << level_text({{100, 0, 9}});
    EXPECT_EQ(verdict_of(good), "ok");
    EXPECT_EQ(verdict_of(dir), "is a directory, not a level text");
    EXPECT_EQ(verdict_of(dir + "/none.txt"), "cannot be read: No such file or directory");
    // A sparse file reads as zero bytes: that it is refused for its size, not
    // for the bytes, shows it was not read.
    ASSERT_EQ(truncate(good.c_str(), 0), 0);
    std::ofstream{big};
    ASSERT_EQ(truncate(big.c_str(), LEVEL_TEXT_MAX_BYTES + 1), 0);
    EXPECT_EQ(verdict_of(big), "is 10485761 bytes, more than the 10485760 bytes a level text may be");
    EXPECT_EQ(verdict_of(good), "1: holds 0 values, level 2 needs 9183");
}

// A pipe has no size to look at; the reader stops at the limit instead of
// reading blanks for ever.
TEST_F(LevelTextFile, StopsReadingAnEndlessPipeAtTheLimit) {
    const std::string fifo = dir + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto handler = std::signal(SIGPIPE, SIG_IGN);
    std::thread writer([&] {
        const int fd = open(fifo.c_str(), O_WRONLY);
        static const std::string blanks(1 << 16, ' ');
        while (write(fd, blanks.data(), blanks.size()) > 0) {
        }
        close(fd);
    });
    EXPECT_EQ(verdict_of(fifo), "is more than the 10485760 bytes a level text may be");
    writer.join();
    std::signal(SIGPIPE, handler);
}

}  // namespace
