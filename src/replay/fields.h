// The game state as the replay sees it: one table that names every field the
// dump shows, in dump order. `set` and `dump` both go through it, so a field is
// described once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class SoundLog;

struct Field {
    enum Kind : uint8_t { NUMBER, ARRAY, RECORD, FRAME, SOUNDS };
    const char *name;        // the member's name in its record
    Kind kind;
    size_t offset;           // bytes from the start of the enclosing record
    int32_t count;           // ARRAY: elements
    size_t stride;           // ARRAY: bytes from one element to the next
    const Field *element;    // ARRAY: what each element is
    const Field *members;    // RECORD: the members in order
    int32_t member_count;
    int32_t lo, hi;          // NUMBER: the values `set` accepts
};

// Where a path leads: the field, and where its data starts in `game`.
struct Place {
    const Field *field = nullptr;
    size_t offset = 0;
};

// Resolves a path such as "walkers[7].direction" or "grid[25]". On success
// `canonical` holds the path as the dump names it (plain decimal indexes);
// on failure `error` says what is wrong.
bool resolve_path(std::string_view path, Place &place, std::string &canonical, std::string &error);

// Checks that the place is one number that `set` may write, and that the value fits it.
bool check_settable(const Place &place, std::string_view path, int64_t value, std::string &error);
void write_number(const Place &place, int32_t value);

// What the dump shows besides the game state.
struct ReplayInfo {
    int64_t frame;
    const SoundLog *sounds;
};

// Appends the JSON value at `place`, or the whole state as one object.
void append_value(std::string &out, const Place &place, const ReplayInfo &info);
void append_whole_state(std::string &out, const ReplayInfo &info);
