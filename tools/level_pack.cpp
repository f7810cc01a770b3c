// level_pack: checks the five level texts and joins them into the built-in
// level table. Run by the build; a malformed text stops the build with a message
// naming the file, the line and what is wrong, and nothing is written.
//
//   level_pack OUT.cpp LEVEL1.txt LEVEL2.txt ... LEVEL5.txt
//   level_pack --check N LEVEL.txt      (check one text as level N, write nothing)
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/constants.h"

namespace {

// Values in a text, each with the line it stands on.
struct Value {
    long long v;
    int line;
};

// Where a load puts cell (25, 15): value k lands in row 1 + k / 32, column 1 + k % 32.
constexpr int PLAYER_ROW = 25, PLAYER_COL = 15;
constexpr int PLAYER_INDEX = (PLAYER_ROW - 1) * LEVEL_COLS + (PLAYER_COL - 1);
constexpr int TEMPLATE_VALUES = LEVEL_ROWS * LEVEL_COLS;                      // 9216
constexpr int EXPORT_VALUES = EXPORT_LAST_COL + (EXPORT_LAST_ROW - 1) * 32;  // 9183

bool fail(const std::string &file, int line, const std::string &what) {
    std::cerr << file;
    if (line > 0) std::cerr << ":" << line;
    std::cerr << ": " << what << "\n";
    return false;
}

std::string trimmed(const std::string &s) {
    const size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

// Reads the comma-terminated decimal values of one level text. Spaces and line
// breaks between values carry no meaning.
bool read_values(const std::string &file, std::vector<Value> &out) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return fail(file, 0, std::string("cannot be read: ") + std::strerror(errno));
    int line = 1;
    for (std::string raw; std::getline(in, raw); ++line) {
        size_t start = 0;
        for (size_t comma; (comma = raw.find(',', start)) != std::string::npos; start = comma + 1) {
            const std::string t = trimmed(raw.substr(start, comma - start));
            if (t.empty()) return fail(file, line, "a comma with no value before it");
            const size_t digits_from = (t[0] == '-' || t[0] == '+') ? 1 : 0;
            bool ok = t.size() > digits_from;
            for (size_t c = digits_from; ok && c < t.size(); ++c) ok = t[c] >= '0' && t[c] <= '9';
            if (!ok) return fail(file, line, "'" + t + "' is not a decimal integer");
            errno = 0;
            const long long v = std::strtoll(t.c_str(), nullptr, 10);
            if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
                return fail(file, line, "'" + t + "' does not fit 32 bits");
            out.push_back({v, line});
        }
        const std::string rest = trimmed(raw.substr(start));
        if (!rest.empty()) return fail(file, line, "'" + rest + "' is not followed by a comma");
    }
    if (in.bad()) return fail(file, line, std::string("cannot be read: ") + std::strerror(errno));
    return true;
}

bool check_level(const std::string &file, int level, const std::vector<Value> &values) {
    const size_t want = level == EDITOR_TEMPLATE_LEVEL ? TEMPLATE_VALUES : EXPORT_VALUES;
    // Too many: point at the first value too many; too few: at the last one there is.
    if (values.size() != want)
        return fail(file, values.size() > want ? values[want].line : values.empty() ? 0 : values.back().line,
                    "holds " + std::to_string(values.size()) + " values, level " + std::to_string(level) + " needs " +
                        std::to_string(want) + (values.size() > want ? "; the first extra value is on this line" : ""));
    if (values[0].v != CELL_CURSOR)
        return fail(file, values[0].line, "the first value is " + std::to_string(values[0].v) +
                                              ", not the editor cursor " + std::to_string(CELL_CURSOR));
    if (values[PLAYER_INDEX].v != CELL_PLAYER)
        return fail(file, values[PLAYER_INDEX].line,
                    "cell (25, 15) holds " + std::to_string(values[PLAYER_INDEX].v) + ", not the player anchor 1");
    std::vector<int> first_line(CELL_LEFT_TURRET_LAST + 1, 0);
    for (const Value &val : values) {
        long long v = val.v;
        if (v == CELL_WALKER_FIRST || v == CELL_RIGHT_TURRET_FIRST || v == CELL_LEFT_TURRET_FIRST ||
            v == CELL_LEFT_TURRET_LAST)
            return fail(file, val.line, "code " + std::to_string(v) + " is never used in a level");
        if (v >= CELL_WALKER_FIRST && v <= CELL_LEFT_TURRET_LAST) {
            if (first_line[v])
                return fail(file, val.line,
                            "object code " + std::to_string(v) + " is used twice (first on line " +
                                std::to_string(first_line[v]) + ")");
            first_line[v] = val.line;
        }
    }
    return true;
}

bool write_table(const std::string &out_path, const std::vector<std::vector<Value>> &levels) {
    const std::string temp = out_path + ".tmp";
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << "// Made by tools/level_pack from src/level/level1.txt .. level5.txt; do not edit.\n"
           "#include \"level/level_table.h\"\n\n"
           "const int32_t LEVEL_TABLE[] = {\n";
    long long size = 0;
    std::vector<long long> starts;
    for (const auto &level : levels) {
        starts.push_back(size);
        for (size_t i = 0; i < level.size(); ++i) {
            out << level[i].v << (i % 32 == 31 ? ",\n" : ",");
        }
        out << "\n";
        size += static_cast<long long>(level.size());
    }
    out << "};\nconst int32_t LEVEL_TABLE_SIZE = " << size << ";\nconst int32_t LEVEL_START[LEVEL_COUNT + 1] = {0";
    for (long long s : starts) out << ", " << s;
    out << "};\n";
    out.close();
    if (!out) {
        std::remove(temp.c_str());
        return fail(out_path, 0, "cannot be written");
    }
    if (std::rename(temp.c_str(), out_path.c_str()) != 0) {
        std::remove(temp.c_str());
        return fail(out_path, 0, std::string("cannot be written: ") + std::strerror(errno));
    }
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 4 && std::string(argv[1]) == "--check") {
        const std::string number = argv[2];
        const int level = number.size() == 1 ? number[0] - '0' : 0;
        if (level < 1 || level > LEVEL_COUNT) {
            std::cerr << "level_pack: the level number must be 1.." << LEVEL_COUNT << ", not '" << number << "'\n";
            return 2;
        }
        std::vector<Value> values;
        return read_values(argv[3], values) && check_level(argv[3], level, values) ? 0 : 1;
    }
    if (argc != 2 + LEVEL_COUNT) {
        std::cerr << "usage: level_pack OUT.cpp LEVEL1.txt ... LEVEL5.txt | level_pack --check N LEVEL.txt\n";
        return 2;
    }
    std::vector<std::vector<Value>> levels(LEVEL_COUNT);
    for (int n = 1; n <= LEVEL_COUNT; ++n) {
        const std::string file = argv[1 + n];
        if (!read_values(file, levels[n - 1]) || !check_level(file, n, levels[n - 1])) return 1;
    }
    return write_table(argv[1], levels) ? 0 : 1;
}
