#include "support/harness.h"

static LevelValues values;

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

// One fault at a time, each named with its line and in the words level_pack
// prints; a value too long to show whole is cut.
TEST(LevelText, NamesTheFirstFaultWithItsLine) {
    const std::string good = level_text();
    const std::string long_value(60, '7');
    const struct { std::string text, want; } cases[] = {
        {with_field(good, 40, 3, " 0,,          "), "40: a comma with no value before it"},
        {with_field(good, 40, 3, " x7,          "), "40: 'x7' is not a decimal integer"},
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
        {with_field(with_field(good, 20, 4, " 66,          "), 90, 1, " 66,          "),
         "90: object code 66 is used twice (first on line 20)"},
    };
    for (const auto &c : cases) EXPECT_EQ(verdict(c.text), c.want);
    for (int code : {3, 104, 154, 204})
        EXPECT_EQ(verdict(with_field(good, 200, 1, " " + std::to_string(code) + ",         ")),
                  "200: code " + std::to_string(code) + " is never used in a level");
    // The other layout's count, and values that are fine where no object code is.
    EXPECT_EQ(verdict(good, 1), "287: holds 9183 values, level 1 needs 9216");
    EXPECT_EQ(verdict(level_text({{4, 4, -2147483647 - 1}, {5, 5, 205}, {6, 6, 1014}, {7, 7, 2}, {8, 8, 2}})), "ok");
}
