#include "fields.h"

#include <cstring>
#include <iterator>

#include "json.h"
#include "host/script_reader.h"
#include "core/game_state.h"
#include "sound_log.h"

namespace {

// Far beyond anything the game produces, and far enough from the 32-bit limits
// that its own counting (timers, offsets, the view) cannot overflow.
constexpr int32_t SANE = 1'000'000'000;

constexpr Field number(const char *name, size_t offset, int32_t lo = -SANE, int32_t hi = SANE) {
    return {name, Field::NUMBER, offset, 0, 0, nullptr, nullptr, 0, lo, hi};
}
// The game indexes a shot table with these, so they must stay inside it.
constexpr Field slot_index(const char *name, size_t offset) { return number(name, offset, 0, SHOT_SLOTS - 1); }
constexpr Field array(const char *name, size_t offset, int32_t count, size_t stride, const Field *element) {
    return {name, Field::ARRAY, offset, count, stride, element, nullptr, 0, 0, 0};
}
template <size_t N>
constexpr Field record(const Field (&members)[N]) {
    return {"", Field::RECORD, 0, 0, 0, nullptr, members, static_cast<int32_t>(N), 0, 0};
}
constexpr Field special(const char *name, Field::Kind kind) {
    return {name, kind, 0, 0, 0, nullptr, nullptr, 0, 0, 0};
}

#define SHOT_FIELD(f) number(#f, offsetof(Shot, f))
constexpr Field SHOT_MEMBERS[] = {SHOT_FIELD(state), SHOT_FIELD(x), SHOT_FIELD(y)};
#undef SHOT_FIELD

#define WALKER_FIELD(f) number(#f, offsetof(Walker, f))
constexpr Field WALKER_MEMBERS[] = {
    WALKER_FIELD(off_x),       WALKER_FIELD(off_y),
    WALKER_FIELD(x),           WALKER_FIELD(y),
    WALKER_FIELD(direction),   slot_index("next_slot", offsetof(Walker, next_slot)),
    WALKER_FIELD(fire_count),  WALKER_FIELD(fire_interval),
    WALKER_FIELD(death_x),     WALKER_FIELD(death_y),
    WALKER_FIELD(death_frame), WALKER_FIELD(dying),
    WALKER_FIELD(death_tick),  WALKER_FIELD(alive),
    WALKER_FIELD(wreck_frame), WALKER_FIELD(wreck_active),
    WALKER_FIELD(wreck_x),     WALKER_FIELD(wreck_y),
};
#undef WALKER_FIELD

#define TURRET_FIELD(f) number(#f, offsetof(Turret, f))
constexpr Field TURRET_MEMBERS[] = {
    TURRET_FIELD(x),               TURRET_FIELD(y),
    slot_index("next_slot", offsetof(Turret, next_slot)),
    TURRET_FIELD(fire_count),      TURRET_FIELD(fire_interval),
    TURRET_FIELD(explosion_x),     TURRET_FIELD(explosion_y),
    TURRET_FIELD(explosion_frame), TURRET_FIELD(exploding),
    TURRET_FIELD(explosion_tick),  TURRET_FIELD(alive),
};
#undef TURRET_FIELD

// A record added to the game without a row here would silently go missing from the dump.
static_assert(std::size(SHOT_MEMBERS) * sizeof(int32_t) == sizeof(Shot));
static_assert(std::size(WALKER_MEMBERS) * sizeof(int32_t) == sizeof(Walker));
static_assert(std::size(TURRET_MEMBERS) * sizeof(int32_t) == sizeof(Turret));

constexpr Field ONE_NUMBER = number("", 0);
constexpr Field SHOT = record(SHOT_MEMBERS);
constexpr Field WALKER = record(WALKER_MEMBERS);
constexpr Field TURRET = record(TURRET_MEMBERS);
constexpr Field GRID_ROW = array("", 0, GRID_COLS, sizeof(int32_t), &ONE_NUMBER);
constexpr Field WALKER_SHOT_ROW = array("", 0, WALKER_SLOTS, sizeof(Shot), &SHOT);
constexpr Field TURRET_SHOT_ROW = array("", 0, TURRET_SLOTS, sizeof(Shot), &SHOT);

#define GAME_NUMBER(f) number(#f, offsetof(GameState, f))
#define GAME_TABLE(f, count, element) array(#f, offsetof(GameState, f), count, sizeof(game.f[0]), element)
// The whole dump, in its order.
constexpr Field STATE_MEMBERS[] = {
    special("frame", Field::FRAME),
    GAME_NUMBER(mode),
    GAME_NUMBER(level_number),
    GAME_NUMBER(last_level),
    GAME_NUMBER(title_frame),
    GAME_NUMBER(music_state),
    GAME_NUMBER(scoring_flag),
    array("score", offsetof(GameState, score.digit), SCORE_DIGITS, sizeof(int32_t), &ONE_NUMBER),
    GAME_NUMBER(scroll_y),
    GAME_NUMBER(top_row),
    GAME_NUMBER(player_off_x),
    GAME_NUMBER(player_off_y),
    GAME_NUMBER(player_x),
    GAME_NUMBER(player_y),
    GAME_NUMBER(ship_frame),
    GAME_NUMBER(move_timer),
    GAME_NUMBER(fire_timer),
    slot_index("next_shot", offsetof(GameState, next_shot)),
    GAME_TABLE(player_shots, SHOT_SLOTS, &SHOT),
    GAME_TABLE(walkers, WALKER_SLOTS, &WALKER),
    GAME_TABLE(walker_shots, SHOT_SLOTS, &WALKER_SHOT_ROW),
    GAME_TABLE(right_turrets, TURRET_SLOTS, &TURRET),
    GAME_TABLE(left_turrets, TURRET_SLOTS, &TURRET),
    GAME_TABLE(right_turret_shots, SHOT_SLOTS, &TURRET_SHOT_ROW),
    GAME_TABLE(left_turret_shots, SHOT_SLOTS, &TURRET_SHOT_ROW),
    GAME_NUMBER(cursor_off_x),
    GAME_NUMBER(cursor_off_y),
    GAME_NUMBER(cursor_col),
    GAME_NUMBER(cursor_row),
    GAME_NUMBER(brush),
    GAME_NUMBER(place_request),
    GAME_NUMBER(next_walker_code),
    GAME_NUMBER(next_right_turret_code),
    GAME_NUMBER(next_left_turret_code),
    GAME_NUMBER(editor_key_timer),
    GAME_TABLE(grid, GRID_ROWS, &GRID_ROW),
    GAME_NUMBER(exports),
    special("sounds", Field::SOUNDS),
};
#undef GAME_NUMBER
#undef GAME_TABLE

constexpr Field STATE = record(STATE_MEMBERS);

const Field *member(const Field &rec, std::string_view name) {
    for (int32_t i = 0; i < rec.member_count; ++i)
        if (name == rec.members[i].name) return &rec.members[i];
    return nullptr;
}

bool name_char(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; }

int32_t number_at(size_t offset) {
    int32_t n;
    std::memcpy(&n, reinterpret_cast<const char *>(&game) + offset, sizeof n);
    return n;
}

void append_node(std::string &out, const Field &field, size_t offset, const ReplayInfo &info) {
    switch (field.kind) {
        case Field::NUMBER: append_number(out, number_at(offset)); break;
        case Field::ARRAY:
            out += '[';
            for (int32_t i = 0; i < field.count; ++i) {
                if (i) out += ',';
                append_node(out, *field.element, offset + static_cast<size_t>(i) * field.stride, info);
            }
            out += ']';
            break;
        case Field::RECORD:
            out += '{';
            for (int32_t i = 0; i < field.member_count; ++i) {
                const Field &m = field.members[i];
                if (i) out += ',';
                out += '"';
                out += m.name;
                out += "\":";
                append_node(out, m, offset + m.offset, info);
            }
            out += '}';
            break;
        case Field::FRAME: append_number(out, info.frame); break;
        case Field::SOUNDS: info.sounds->append_json(out); break;
    }
}

}  // namespace

bool resolve_path(std::string_view path, Place &place, std::string &canonical, std::string &error) {
    const Field *field = &STATE;
    size_t offset = 0, i = 0;
    canonical.clear();
    auto malformed = [&] {
        error = "malformed path " + quoted(path);
        return false;
    };
    while (true) {
        // A member name, at the start or after a dot.
        size_t start = i;
        while (i < path.size() && name_char(path[i])) ++i;
        std::string_view name = path.substr(start, i - start);
        if (name.empty()) return malformed();
        if (field->kind == Field::ARRAY) {
            error = quoted(canonical) + " is a table: name an element, as in " + canonical + "[0]";
            return false;
        }
        if (field->kind != Field::RECORD) {
            error = quoted(canonical) + " has no fields";
            return false;
        }
        const Field *m = member(*field, name);
        if (!m) {
            error = field == &STATE ? "no field " + quoted(name) : quoted(canonical) + " has no field " + quoted(name);
            return false;
        }
        field = m;
        offset += m->offset;
        if (!canonical.empty()) canonical += '.';
        canonical += name;

        // Its indexes, if any.
        while (i < path.size() && path[i] == '[') {
            size_t close = path.find(']', i);
            if (close == std::string_view::npos) return malformed();
            std::string_view digits = path.substr(i + 1, close - i - 1);
            if (field->kind != Field::ARRAY) {
                error = quoted(canonical) + " is not a table";
                return false;
            }
            int64_t index = -1;
            std::string why;
            const NumberFault fault = parse_int(digits, INT32_MIN, INT32_MAX, index, why);
            if (fault == NumberFault::NOT_WHOLE) return malformed();
            if (fault != NumberFault::NONE || index < 0 || index >= field->count) {
                error = "index " + quoted(digits) + " out of range 0.." + std::to_string(field->count - 1) + " in " +
                        quoted(path);
                return false;
            }
            offset += static_cast<size_t>(index) * field->stride;
            canonical += '[';
            canonical += std::to_string(index);
            canonical += ']';
            field = field->element;
            i = close + 1;
        }
        if (i == path.size()) break;
        if (path[i] != '.') return malformed();
        ++i;
    }
    place = {field, offset};
    return true;
}

bool check_settable(const Place &place, std::string_view path, int64_t value, std::string &error) {
    const Field &f = *place.field;
    if (f.kind == Field::FRAME) {
        error = "'frame' counts the frames run and cannot be set";
        return false;
    }
    if (f.kind != Field::NUMBER) {
        error = quoted(path) + " is not a single number";
        return false;
    }
    if (value < f.lo || value > f.hi) {
        error = "value " + std::to_string(value) + " out of range " + std::to_string(f.lo) + ".." +
                std::to_string(f.hi) + " for " + quoted(path);
        return false;
    }
    return true;
}

void write_number(const Place &place, int32_t value) {
    std::memcpy(reinterpret_cast<char *>(&game) + place.offset, &value, sizeof value);
}

void append_value(std::string &out, const Place &place, const ReplayInfo &info) {
    append_node(out, *place.field, place.offset, info);
}

void append_whole_state(std::string &out, const ReplayInfo &info) { append_node(out, STATE, 0, info); }
