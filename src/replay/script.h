// The replay's commands: the lines of a recording (frames, clock, level FILE
// CHECKSUM, read by host/script_reader) and those that only a replay takes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fields.h"
#include "host/script_reader.h"

// One script line, read whole before anything acts on it, so that a line with
// a mistake anywhere in it changes nothing.
struct Command {
    enum Type { FRAMES, CLOCK, SET, DUMP, SCREENSHOT, CHECK, SAVE, RESTORE, LEVEL, LEVEL_FILE, EVENTS } type = FRAMES;
    int32_t number = 0;              // FRAMES: how many; CLOCK: seconds; SET: the value; LEVEL: which;
                                     // EVENTS: 1 on, 0 off
    std::vector<int> keys;           // FRAMES: the keys held
    std::vector<Place> places;       // SET: the one field; DUMP: the paths asked for, each once
    std::vector<std::string> names;  // the same paths as the dump names them
    std::string word;                // SCREENSHOT: the file; SAVE, RESTORE: the snapshot's name;
                                     // LEVEL_FILE: the level file
    uint64_t checksum = 0;           // LEVEL_FILE: of the level file's text
};

// Reads the words of one line (at least one) into `cmd`. Returns what is wrong
// with the line, or an empty string.
std::string parse_command(const std::vector<std::string_view> &words, Command &cmd);
