#include "script.h"

#include "core/constants.h"

namespace {

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

// The lines of a recording, read as the window reads them.
std::string parse_frames_command(const std::vector<std::string_view> &words, Command &cmd) {
    cmd.type = Command::FRAMES;
    return parse_frames(words, cmd.number, cmd.keys);
}

std::string parse_clock_command(const std::vector<std::string_view> &words, Command &cmd) {
    cmd.type = Command::CLOCK;
    return parse_clock(words, cmd.number);
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

// level N, or a recording's level FILE CHECKSUM.
std::string parse_level(const std::vector<std::string_view> &words, Command &cmd) {
    if (words.size() == 3) {
        cmd.type = Command::LEVEL_FILE;
        return parse_level_file(words, cmd.word, cmd.checksum);
    }
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
    {"frames", parse_frames_command},
    {"clock", parse_clock_command},
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
