#include "script.h"

#include <allegro.h>
#include <array>

#include "core/constants.h"

LineReader::Result LineReader::next(std::string &line) {
    line.clear();
    int c = getc_unlocked(in_);
    if (c == EOF) return END;
    ++number_;
    while (c != EOF && c != '\n') {
        if (line.size() == LONGEST_LINE) return TOO_LONG;
        line.push_back(static_cast<char>(c));
        c = getc_unlocked(in_);
    }
    return LINE;
}

void split_words(std::string_view line, std::vector<std::string_view> &words) {
    words.clear();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) ++i;
        if (i == line.size()) break;
        if (words.empty() && line[i] == '#') return;  // a comment line
        size_t start = i;
        while (i < line.size() && !blank(line[i])) ++i;
        words.push_back(line.substr(start, i - start));
    }
}

std::string quoted(std::string_view word) {
    constexpr size_t SHOWN = 40;
    std::string out = "'";
    for (size_t i = 0; i < word.size() && i < SHOWN; ++i) {
        unsigned char c = static_cast<unsigned char>(word[i]);
        if (c >= 0x20 && c < 0x7f) {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    if (word.size() > SHOWN) out += "...";
    return out + "'";
}

NumberFault parse_int(std::string_view word, int64_t lo, int64_t hi, int64_t &value, std::string &error) {
    size_t i = 0;
    bool negative = false;
    auto not_whole = [&] {
        error = quoted(word) + " is not a whole number";
        return NumberFault::NOT_WHOLE;
    };
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) negative = word[i++] == '-';
    if (i == word.size()) return not_whole();
    // Saturate far above any 32-bit value so that a long row of digits cannot overflow.
    constexpr int64_t CAP = int64_t{1} << 40;
    int64_t magnitude = 0;
    for (; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return not_whole();
        magnitude = std::min(CAP, magnitude * 10 + (word[i] - '0'));
    }
    value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) {
        error = quoted(word) + " is not a 32-bit integer";
        return NumberFault::NOT_32_BIT;
    }
    if (value < lo || value > hi) {
        error = quoted(word) + " is out of range " + std::to_string(lo) + ".." + std::to_string(hi);
        return NumberFault::OUT_OF_RANGE;
    }
    return NumberFault::NONE;
}

namespace {

struct KeyName {
    const char *name;
    int code;
};

#define KEY(n) {#n, KEY_##n}
// Every key the library knows, 1..KEY_MAX-1. KEY_MODIFIERS is left out: it is
// not a key but the first code of the modifier keys (the same as KEY_LSHIFT).
constexpr KeyName KEYS[] = {
    KEY(A), KEY(B), KEY(C), KEY(D), KEY(E), KEY(F), KEY(G), KEY(H), KEY(I), KEY(J), KEY(K), KEY(L), KEY(M),
    KEY(N), KEY(O), KEY(P), KEY(Q), KEY(R), KEY(S), KEY(T), KEY(U), KEY(V), KEY(W), KEY(X), KEY(Y), KEY(Z),
    KEY(0), KEY(1), KEY(2), KEY(3), KEY(4), KEY(5), KEY(6), KEY(7), KEY(8), KEY(9),
    KEY(0_PAD), KEY(1_PAD), KEY(2_PAD), KEY(3_PAD), KEY(4_PAD), KEY(5_PAD), KEY(6_PAD), KEY(7_PAD), KEY(8_PAD),
    KEY(9_PAD),
    KEY(F1), KEY(F2), KEY(F3), KEY(F4), KEY(F5), KEY(F6), KEY(F7), KEY(F8), KEY(F9), KEY(F10), KEY(F11), KEY(F12),
    KEY(ESC), KEY(TILDE), KEY(MINUS), KEY(EQUALS), KEY(BACKSPACE), KEY(TAB), KEY(OPENBRACE), KEY(CLOSEBRACE),
    KEY(ENTER), KEY(COLON), KEY(QUOTE), KEY(BACKSLASH), KEY(BACKSLASH2), KEY(COMMA), KEY(STOP), KEY(SLASH),
    KEY(SPACE), KEY(INSERT), KEY(DEL), KEY(HOME), KEY(END), KEY(PGUP), KEY(PGDN),
    KEY(LEFT), KEY(RIGHT), KEY(UP), KEY(DOWN),
    KEY(SLASH_PAD), KEY(ASTERISK), KEY(MINUS_PAD), KEY(PLUS_PAD), KEY(DEL_PAD), KEY(ENTER_PAD),
    KEY(PRTSCR), KEY(PAUSE), KEY(ABNT_C1), KEY(YEN), KEY(KANA), KEY(CONVERT), KEY(NOCONVERT), KEY(AT),
    KEY(CIRCUMFLEX), KEY(COLON2), KEY(KANJI), KEY(EQUALS_PAD), KEY(BACKQUOTE), KEY(SEMICOLON), KEY(COMMAND),
    KEY(UNKNOWN1), KEY(UNKNOWN2), KEY(UNKNOWN3), KEY(UNKNOWN4), KEY(UNKNOWN5), KEY(UNKNOWN6), KEY(UNKNOWN7),
    KEY(UNKNOWN8),
    KEY(LSHIFT), KEY(RSHIFT), KEY(LCONTROL), KEY(RCONTROL), KEY(ALT), KEY(ALTGR), KEY(LWIN), KEY(RWIN),
    KEY(MENU), KEY(SCRLOCK), KEY(NUMLOCK), KEY(CAPSLOCK),
};
#undef KEY

// Each code 1..KEY_MAX-1 has exactly one name.
constexpr bool covers_every_key() {
    std::array<int, KEY_MAX> seen{};
    for (const KeyName &k : KEYS) {
        if (k.code < 1 || k.code >= KEY_MAX) return false;
        ++seen[k.code];
    }
    for (int c = 1; c < KEY_MAX; ++c)
        if (seen[c] != 1) return false;
    return true;
}
static_assert(covers_every_key(), "the key table must name every key code once");

}  // namespace

int key_code(std::string_view name) {
    for (const KeyName &k : KEYS)
        if (name == k.name) return k.code;
    return 0;
}

namespace {

// What is missing or extra when a command has too few or too many words.
std::string arity(const std::vector<std::string_view> &words, size_t lo, size_t hi, const char *missing) {
    const size_t args = words.size() - 1;
    if (args < lo) return std::string("missing ") + missing;
    if (args > hi) return "unexpected " + quoted(words[hi + 1]);
    return "";
}

std::string add_path(std::string_view word, Command &cmd) {
    Place place;
    std::string name, error;
    if (!resolve_path(word, place, name, error)) return error;
    for (const std::string &seen : cmd.names)
        if (seen == name) return "";  // a key may appear only once in a JSON object
    cmd.places.push_back(place);
    cmd.names.push_back(std::move(name));
    return "";
}

// One parser per command: each reads the words after the verb into `cmd` and
// returns what is wrong with them, or an empty string.
using VerbParser = std::string (*)(const std::vector<std::string_view> &words, Command &cmd);

std::string parse_frames(const std::vector<std::string_view> &words, Command &cmd) {
    std::string error;
    int64_t n = 0;
    cmd.type = Command::FRAMES;
    if (!(error = arity(words, 1, words.size(), "frame count")).empty()) return error;
    if (parse_int(words[1], INT32_MIN, INT32_MAX, n, error) != NumberFault::NONE) return error;
    if (n < 0) return "frame count " + quoted(words[1]) + " is negative";
    cmd.number = static_cast<int32_t>(n);
    for (size_t i = 2; i < words.size(); ++i) {
        const int code = key_code(words[i]);
        if (!code) return "unknown key " + quoted(words[i]);
        cmd.keys.push_back(code);
    }
    return "";
}

std::string parse_clock(const std::vector<std::string_view> &words, Command &cmd) {
    std::string error;
    int64_t n = 0;
    cmd.type = Command::CLOCK;
    if (!(error = arity(words, 1, 1, "seconds")).empty()) return error;
    // A negative reading would hand the clock back to real time, and the
    // output would no longer depend on the script alone.
    if (parse_int(words[1], 0, INT32_MAX, n, error) != NumberFault::NONE) return error;
    cmd.number = static_cast<int32_t>(n);
    return "";
}

std::string parse_set(const std::vector<std::string_view> &words, Command &cmd) {
    std::string error;
    int64_t n = 0;
    cmd.type = Command::SET;
    if (!(error = arity(words, 2, 2, words.size() < 2 ? "path and value" : "value")).empty()) return error;
    if (!(error = add_path(words[1], cmd)).empty()) return error;
    if (parse_int(words[2], INT32_MIN, INT32_MAX, n, error) != NumberFault::NONE) return error;
    if (!check_settable(cmd.places[0], cmd.names[0], n, error)) return error;
    cmd.number = static_cast<int32_t>(n);
    return "";
}

std::string parse_dump(const std::vector<std::string_view> &words, Command &cmd) {
    std::string error;
    cmd.type = Command::DUMP;
    for (size_t i = 1; i < words.size(); ++i)
        if (!(error = add_path(words[i], cmd)).empty()) return error;
    return "";
}

// One word after the verb, kept in cmd.word.
template <Command::Type TYPE>
std::string parse_word(const std::vector<std::string_view> &words, Command &cmd) {
    cmd.type = TYPE;
    const std::string error = arity(words, 1, 1, TYPE == Command::SCREENSHOT ? "file name" : "snapshot name");
    if (error.empty()) cmd.word.assign(words[1]);
    return error;
}

std::string parse_check(const std::vector<std::string_view> &words, Command &cmd) {
    cmd.type = Command::CHECK;
    return arity(words, 0, 0, "");
}

std::string parse_level(const std::vector<std::string_view> &words, Command &cmd) {
    std::string error;
    int64_t n = 0;
    cmd.type = Command::LEVEL;
    if (!(error = arity(words, 1, 1, "level number")).empty()) return error;
    if (parse_int(words[1], FIRST_GAME_LEVEL, LAST_GAME_LEVEL, n, error) != NumberFault::NONE) return error;
    cmd.number = static_cast<int32_t>(n);
    return "";
}

std::string parse_events(const std::vector<std::string_view> &words, Command &cmd) {
    std::string error;
    cmd.type = Command::EVENTS;
    if (!(error = arity(words, 1, 1, "on or off")).empty()) return error;
    if (words[1] != "on" && words[1] != "off") return quoted(words[1]) + " is neither on nor off";
    cmd.number = words[1] == "on";
    return "";
}

struct Verb {
    const char *name;
    VerbParser parse;
};

constexpr Verb VERBS[] = {
    {"frames", parse_frames},
    {"clock", parse_clock},
    {"set", parse_set},
    {"dump", parse_dump},
    {"screenshot", parse_word<Command::SCREENSHOT>},
    {"check", parse_check},
    {"save", parse_word<Command::SAVE>},
    {"restore", parse_word<Command::RESTORE>},
    {"level", parse_level},
    {"events", parse_events},
};

}  // namespace

std::string parse_command(const std::vector<std::string_view> &words, Command &cmd) {
    cmd.keys.clear();
    cmd.places.clear();
    cmd.names.clear();
    for (const Verb &verb : VERBS) {
        if (words[0] != verb.name) continue;
        const std::string error = verb.parse(words, cmd);
        return error.empty() ? error : std::string(verb.name) + ": " + error;
    }
    return "unknown command " + quoted(words[0]);
}
