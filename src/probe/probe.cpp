#include "probe/probe.h"

#include <cstring>
#include <iterator>

#include "core/clock.h"
#include "reset/reset.h"
#include "core/sound.h"
#include "world/world.h"

namespace {

void no_sound(const SoundCall &) {}

// The one place that turns a table's name into the table: `use` is given
// that table of each state, as the array it is (walker_shots and the turrets'
// differ in their number of owners).
template <typename Use, typename... States>
decltype(auto) with_shot_tables(ShotTable table, Use &&use, States &...states) {
    switch (table) {
        case ShotTable::WALKER: return use(states.walker_shots...);
        case ShotTable::RIGHT_TURRET: return use(states.right_turret_shots...);
        default: return use(states.left_turret_shots...);
    }
}

template <typename State>
auto &shot_in(State &state, const ShotRef &ref) {
    return with_shot_tables(ref.table, [&](auto &shots) -> auto & { return shots[ref.slot][ref.owner]; }, state);
}

bool hit_ship(const ShotRef &ref, int32_t drift) {
    const Shot &shot = shot_at(ref);
    const int32_t y = shot_table_facts(ref.table).drifts_before_hit ? shot.y : shot.y - drift;
    return in_ship_hit_box(shot.x, y);
}
}  // namespace

StartStatus start_unseen() {
    set_sound_hook(no_sound);
    pin_clock_seconds(0);
    const StartStatus status = start_headless(MODE_TITLE);
    if (status == START_OK) set_clip_rect(game.back_buffer, 0, 0, -1, -1);
    return status;
}

void run_unseen_frame() { run_frame(HEADLESS_PLATFORM); }

int32_t ship_x() {
    for (int32_t r = 0; r < VIEW_ROWS; ++r)
        for (int32_t c = 0; c < GRID_COLS; ++c)
            if (game.grid[r][c] == CELL_PLAYER) return c * CELL_SIZE + game.player_off_x;
    return game.player_off_x;
}

void save_snapshot(Snapshot &snapshot) {
    std::memcpy(static_cast<void *>(&snapshot.state), &game, sizeof game);
    std::memcpy(snapshot.keys, const_cast<const char *>(key), KEY_MAX);
    snapshot.clock = pinned_clock_seconds();
}

void restore_snapshot(const Snapshot &snapshot) {
    std::memcpy(static_cast<void *>(&game), &snapshot.state, sizeof game);
    std::memcpy(const_cast<char *>(key), snapshot.keys, KEY_MAX);
    pin_clock_seconds(snapshot.clock);
}

bool play_level(int32_t n) {
    if (game.mode == MODE_EDITOR) return false;
    if (game.mode == MODE_TITLE) start_play();
    enter_level_after(n == FIRST_GAME_LEVEL ? game.last_level : n - 1);
    return true;
}

const ShotTableFacts &shot_table_facts(ShotTable table) {
    // The drift order is the handlers' own: turrets keep it in their table.
    static const ShotTableFacts FACTS[] = {
        {.name = "none", .owner_kind = "nothing", .first_code = CELL_EMPTY, .owners = 0, .drifts_before_hit = false},
        {.name = "walker_shots",
         .owner_kind = "walker",
         .first_code = CELL_WALKER_FIRST,
         .owners = WALKER_SLOTS,
         .drifts_before_hit = false},
        {.name = "right_turret_shots",
         .owner_kind = "right-firing turret",
         .first_code = CELL_RIGHT_TURRET_FIRST,
         .owners = TURRET_SLOTS,
         .drifts_before_hit = turret_shots_drift_before_hit(true)},
        {.name = "left_turret_shots",
         .owner_kind = "left-firing turret",
         .first_code = CELL_LEFT_TURRET_FIRST,
         .owners = TURRET_SLOTS,
         .drifts_before_hit = turret_shots_drift_before_hit(false)},
    };
    return FACTS[static_cast<int>(table)];
}

const char *shot_table_name(ShotTable table) { return shot_table_facts(table).name; }

const Shot &shot_at(const ShotRef &ref) { return shot_in(game, ref); }

ShotRef find_ship_hit(int32_t drift) {
    for (int32_t wanted : {SHOT_FLYING, SHOT_IDLE}) {
        for (ShotTable table : ENEMY_SHOT_TABLES) {
            for (int32_t owner = 0; owner < shot_table_facts(table).owners; ++owner)
                for (int32_t slot = 0; slot < SHOT_SLOTS; ++slot) {
                    const ShotRef ref{table, slot, owner};
                    if (shot_at(ref).state == wanted && hit_ship(ref, drift)) return ref;
                }
        }
    }
    return {};
}

void note_flying_shots(FlyingShots &into) {
    uint8_t *flag = into.flying;
    for (ShotTable table : ENEMY_SHOT_TABLES)
        with_shot_tables(
            table,
            [&](const auto &shots) {
                for (const auto &slot : shots)
                    for (const Shot &shot : slot) *flag++ = shot.state == SHOT_FLYING;
            },
            game);
}

void find_fired_shots(const FlyingShots &before, const FlyingShots &after, std::vector<ShotRef> &fired) {
    // Eight flags at a time: a shot is fired in a few frames of a hundred.
    const auto eight = [](const uint8_t *flags) {
        uint64_t word;
        std::memcpy(&word, flags, sizeof word);
        return word;
    };
    int32_t i = 0;
    for (ShotTable table : ENEMY_SHOT_TABLES) {
        const int32_t owners = shot_table_facts(table).owners, end = i + SHOT_SLOTS * owners;
        for (int32_t first = i; i < end; ++i) {
            if (i + 8 <= end && (eight(after.flying + i) & ~eight(before.flying + i)) == 0) {
                i += 7;
                continue;
            }
            if (after.flying[i] && !before.flying[i])
                fired.push_back({table, (i - first) / owners, (i - first) % owners});
        }
    }
}
