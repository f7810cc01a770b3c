#include "probe/probe.h"

#include <cstring>

#include "core/clock.h"
#include "reset/reset.h"
#include "world/world.h"

namespace {

template <typename State>
auto &shot_in(State &state, const ShotRef &ref) {
    switch (ref.table) {
        case ShotTable::WALKER: return state.walker_shots[ref.slot][ref.owner];
        case ShotTable::RIGHT_TURRET: return state.right_turret_shots[ref.slot][ref.owner];
        default: return state.left_turret_shots[ref.slot][ref.owner];
    }
}

// Walker and left-firing turret shots drift with Up and Down after their ship
// test, right-firing ones before it.
bool drifts_after_test(ShotTable table) { return table != ShotTable::RIGHT_TURRET; }

bool hit_ship(const ShotRef &ref, int32_t drift) {
    const Shot &shot = shot_at(ref);
    const int32_t y = drifts_after_test(ref.table) ? shot.y - drift : shot.y;
    return in_ship_hit_box(shot.x, y);
}
}  // namespace

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

const char *shot_table_name(ShotTable table) {
    switch (table) {
        case ShotTable::WALKER: return "walker_shots";
        case ShotTable::RIGHT_TURRET: return "right_turret_shots";
        case ShotTable::LEFT_TURRET: return "left_turret_shots";
        default: return "none";
    }
}

const Shot &shot_at(const ShotRef &ref) { return shot_in(game, ref); }

ShotRef find_ship_hit(int32_t drift) {
    constexpr ShotTable TABLES[] = {ShotTable::WALKER, ShotTable::RIGHT_TURRET, ShotTable::LEFT_TURRET};
    for (int32_t wanted : {SHOT_FLYING, SHOT_IDLE}) {
        for (ShotTable table : TABLES) {
            const int32_t owners = table == ShotTable::WALKER ? WALKER_SLOTS : TURRET_SLOTS;
            for (int32_t owner = 0; owner < owners; ++owner)
                for (int32_t slot = 0; slot < SHOT_SLOTS; ++slot) {
                    const ShotRef ref{table, slot, owner};
                    if (shot_at(ref).state == wanted && hit_ship(ref, drift)) return ref;
                }
        }
    }
    return {};
}

void find_fired_shots(const GameState &before, const GameState &after, std::vector<ShotRef> &fired) {
    auto look = [&](ShotTable table, int32_t owners) {
        for (int32_t slot = 0; slot < SHOT_SLOTS; ++slot)
            for (int32_t owner = 0; owner < owners; ++owner) {
                const ShotRef ref{table, slot, owner};
                if (shot_in(before, ref).state != SHOT_FLYING &&
                    shot_in(after, ref).state == SHOT_FLYING)
                    fired.push_back(ref);
            }
    };
    look(ShotTable::WALKER, WALKER_SLOTS);
    look(ShotTable::RIGHT_TURRET, TURRET_SLOTS);
    look(ShotTable::LEFT_TURRET, TURRET_SLOTS);
}
