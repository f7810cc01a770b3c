#include "host/script_reader.h"

#include <allegro.h>
#include <array>
#include <cerrno>
#include <cstring>

#include "core/decimal.h"

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
    int64_t magnitude = 0;
    for (; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return not_whole();
        magnitude = with_digit(magnitude, word[i]);
    }
    value = negative ? -magnitude : magnitude;
    if (!fits_32_bits(value)) {
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


const char *key_name(int code) {
    for (const KeyName &k : KEYS)
        if (code == k.code) return k.name;
    return nullptr;
}

std::string arity(const std::vector<std::string_view> &words, size_t lo, size_t hi, const char *missing) {
    const size_t args = words.size() - 1;
    if (args < lo) return std::string("missing ") + missing;
    if (args > hi) return "unexpected " + quoted(words[hi + 1]);
    return "";
}

std::string parse_frames(const std::vector<std::string_view> &words, int32_t &count, std::vector<int> &keys) {
    std::string error;
    int64_t n = 0;
    keys.clear();
    if (!(error = arity(words, 1, words.size(), "frame count")).empty()) return error;
    if (parse_int(words[1], INT32_MIN, INT32_MAX, n, error) != NumberFault::NONE) return error;
    if (n < 0) return "frame count " + quoted(words[1]) + " is negative";
    count = static_cast<int32_t>(n);
    for (size_t i = 2; i < words.size(); ++i) {
        const int code = key_code(words[i]);
        if (!code) return "unknown key " + quoted(words[i]);
        keys.push_back(code);
    }
    return "";
}

std::string parse_clock(const std::vector<std::string_view> &words, int32_t &seconds) {
    std::string error;
    int64_t n = 0;
    if (!(error = arity(words, 1, 1, "seconds")).empty()) return error;
    // A negative reading would hand the clock back to real time, and the
    // output would no longer depend on the script alone.
    if (parse_int(words[1], 0, INT32_MAX, n, error) != NumberFault::NONE) return error;
    seconds = static_cast<int32_t>(n);
    return "";
}

std::string parse_level_file(const std::vector<std::string_view> &words, std::string &path, uint64_t &checksum) {
    std::string error;
    if (!(error = arity(words, 2, 2, words.size() < 2 ? "file and checksum" : "checksum")).empty()) return error;
    const std::string_view sum = words[2];
    checksum = 0;
    bool hex = sum.size() == 16;
    for (char c : sum) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        hex = hex && digit >= 0;
        checksum = checksum << 4 | static_cast<uint64_t>(digit & 15);
    }
    if (!hex) return "checksum " + quoted(sum) + " is not 16 hexadecimal digits";
    path.assign(words[1]);
    return "";
}

std::string parse_recorded_line(const std::vector<std::string_view> &words, RecordedLine &line) {
    std::string error;
    if (words[0] == "frames") {
        line.type = RecordedLine::FRAMES;
        error = parse_frames(words, line.number, line.keys);
    } else if (words[0] == "clock") {
        line.type = RecordedLine::CLOCK;
        error = parse_clock(words, line.number);
    } else if (words[0] == "level") {
        line.type = RecordedLine::LEVEL_FILE;
        error = parse_level_file(words, line.path, line.checksum);
    } else {
        return quoted(words[0]) + " is not a line of a recording (frames, clock, level)";
    }
    return error.empty() ? error : std::string(words[0]) + ": " + error;
}

std::string checksum_text(uint64_t checksum) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(checksum));
    return text;
}
