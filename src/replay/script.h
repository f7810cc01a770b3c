// Reading replay scripts: lines, words, numbers and key names. Nothing here
// trusts its input; every reader says what is wrong instead of guessing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "fields.h"

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

// The library's key code for a KEY_ name without its prefix ("LEFT", "F3"), or 0.
int key_code(std::string_view name);

// One script line, read whole before anything acts on it, so that a line with
// a mistake anywhere in it changes nothing.
struct Command {
    enum Type { FRAMES, CLOCK, SET, DUMP, SCREENSHOT, CHECK, SAVE, RESTORE, LEVEL, EVENTS } type = FRAMES;
    int32_t number = 0;              // FRAMES: how many; CLOCK: seconds; SET: the value; LEVEL: which;
                                     // EVENTS: 1 on, 0 off
    std::vector<int> keys;           // FRAMES: the keys held
    std::vector<Place> places;       // SET: the one field; DUMP: the paths asked for, each once
    std::vector<std::string> names;  // the same paths as the dump names them
    std::string word;                // SCREENSHOT: the file; SAVE, RESTORE: the snapshot's name
};

// Reads the words of one line (at least one) into `cmd`. Returns what is wrong
// with the line, or an empty string.
std::string parse_command(const std::vector<std::string_view> &words, Command &cmd);
