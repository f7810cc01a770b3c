#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "support/harness.h"

static LevelValues values;
static LevelCells cells;

// What parsing `text` says, as "LINE: words", or "ok".
static std::string verdict(const std::string &text, int level = 2) {
    LevelTextError error;
    if (parse_level_text(text.data(), text.size(), values, error) && check_level_values(values, level, error))
        return "ok";
    return std::to_string(error.line) + ": " + error.words;
}

// Replaces the field at line `line`, field `index` (both from 1) of a text in
// the game's layout.
static std::string with_field(std::string text, int line, int index, const std::string &field) {
    size_t at = 0;
    for (int l = 1; l < line; ++l) at = text.find('\n', at) + 1;
    text.replace(at + (index - 1) * EXPORT_FIELD_WIDTH, EXPORT_FIELD_WIDTH, field);
    return text;
}

// Every shipped level passes the checker and is the export's own output: parsing
// it and writing the grid out again gives it back byte for byte. (That any text
// the reader takes goes out and back so, whole or in pieces, the fuzzer tries.)
TEST(LevelText, FormatsEveryShippedLevelBackToItsOwnBytes) {
    for (int n = 1; n <= LEVEL_COUNT; ++n) {
        const std::string path = "src/level/level" + std::to_string(n) + ".txt", text = read_file(path);
        const LevelLayout &layout = layout_of_level(n);
        ASSERT_EQ(verdict(text, n), "ok") << path;
        EXPECT_EQ(values.count, layout.values);
        EXPECT_EQ(static_cast<int32_t>(text.size()), level_text_bytes(layout));
        std::memset(cells, 0, sizeof cells);
        place_level_values(layout, values.value, cells);
        EXPECT_EQ(format_text(layout, cells), text) << path;
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

// A pipe has no size to look at; the reader stops at the limit instead of
// reading blanks for ever.
TEST(LevelTextFile, StopsReadingAnEndlessPipeAtTheLimit) {
    const ScratchDir dir;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto handler = std::signal(SIGPIPE, SIG_IGN);
    std::thread writer([&] {
        const int fd = open(fifo.c_str(), O_WRONLY);
        static const std::string blanks(1 << 16, ' ');
        while (write(fd, blanks.data(), blanks.size()) > 0) {
        }
        close(fd);
    });
    LevelTextError error;
    EXPECT_FALSE(read_level_text(fifo.c_str(), 2, values, error));
    EXPECT_STREQ(error.words, "is more than the 10485760 bytes a level text may be");
    writer.join();
    std::signal(SIGPIPE, handler);
}
