// Reading replay scripts: lines, words, numbers and key names, and the three
// commands a recording is made of (frames, clock, level FILE CHECKSUM), which
// upshot-replay runs and the window plays back. Nothing here trusts its input;
// every reader says what is wrong instead of guessing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Hands out a script one line at a time, without the line break. Lines longer
// than LONGEST_LINE are refused rather than buffered without end.
class LineReader {
public:
    static constexpr size_t LONGEST_LINE = 1 << 16;

    explicit LineReader(std::FILE *in) : in_(in) {}
    enum Result { LINE, END, TOO_LONG };
    Result next(std::string &line);
    long number() const { return number_; }

private:
    std::FILE *in_;
    long number_ = 0;
};

// Splits a line at blanks (spaces, tabs, a trailing carriage return). A line
// that is empty or starts with '#' yields no words.
void split_words(std::string_view line, std::vector<std::string_view> &words);

// A word as it can be shown in a message: at most 40 bytes, unprintable bytes
// as \xNN, in quotes.
std::string quoted(std::string_view word);

// What is wrong with a word read as a number.
enum class NumberFault { NONE, NOT_WHOLE, NOT_32_BIT, OUT_OF_RANGE };

// A whole decimal number with an optional sign. For anything else, or for a
// number outside lo..hi, returns what is wrong and says it in `error`.
NumberFault parse_int(std::string_view word, int64_t lo, int64_t hi, int64_t &value, std::string &error);

// The library's key code for a KEY_ name without its prefix ("LEFT", "F3"), or
// 0; and the name of a code, or nullptr.
int key_code(std::string_view name);
const char *key_name(int code);

// What is missing or extra when a command (words[0]) has fewer than lo or more
// than hi words after it, or an empty string.
std::string arity(const std::vector<std::string_view> &words, size_t lo, size_t hi, const char *missing);

// Each reads the words of its command, verb first, and returns what is wrong
// with them or an empty string:
//   frames N [KEY ...]     N frames (0 or more) holding exactly these keys
//   clock S                the clock reads S seconds (0..2^31-1) from now on
//   level FILE CHECKSUM    the level file played, and level_checksum of its
//                          bytes as 16 lowercase hexadecimal digits
std::string parse_frames(const std::vector<std::string_view> &words, int32_t &count, std::vector<int> &keys);
std::string parse_clock(const std::vector<std::string_view> &words, int32_t &seconds);
std::string parse_level_file(const std::vector<std::string_view> &words, std::string &path, uint64_t &checksum);

// One line of a recording.
struct RecordedLine {
    enum Type { FRAMES, CLOCK, LEVEL_FILE } type = FRAMES;
    int32_t number = 0;       // FRAMES: how many; CLOCK: seconds
    std::vector<int> keys;    // FRAMES: the keys held
    std::string path;         // LEVEL_FILE
    uint64_t checksum = 0;    // LEVEL_FILE
};
// Reads a line's words (at least one) as one of the three; what is wrong, as
// "verb: what", or an empty string.
std::string parse_recorded_line(const std::vector<std::string_view> &words, RecordedLine &line);

// A level file's checksum as a recording writes it.
std::string checksum_text(uint64_t checksum);

