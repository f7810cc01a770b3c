#include "check.h"

#include <cstring>

#include "level/level.h"
#include "core/geometry.h"

namespace {

// Names are built only once something is wrong: the checks run every frame.
bool state_ok(const Shot &shot) { return shot.state == SHOT_IDLE || shot.state == SHOT_FLYING; }
bool slot_ok(int32_t slot) { return slot >= ENEMY_FIRST_SLOT && slot <= ENEMY_LAST_SLOT; }

std::string indexed(const char *table, int32_t i) { return std::string(table) + "[" + std::to_string(i) + "]"; }

std::string bad_state(const std::string &shot, int32_t state) {
    return shot + ".state is " + std::to_string(state) + ", not 1 or 2";
}

std::string bad_slot(const std::string &owner, int32_t slot) {
    return owner + ".next_slot is " + std::to_string(slot) + ", not in 1..19";
}

// An enemy table and its shot table [slot][owner].
template <typename Owner, size_t N>
bool enemies_ok(const char *name, const Owner (&owners)[N], const char *shots_name,
                const Shot (&shots)[SHOT_SLOTS][N], std::string &what) {
    for (size_t k = 0; k < N; ++k) {
        const int32_t owner = static_cast<int32_t>(k);
        if (!slot_ok(owners[k].next_slot)) {
            what = bad_slot(indexed(name, owner), owners[k].next_slot);
            return false;
        }
        for (int32_t s = 0; s < SHOT_SLOTS; ++s)
            if (!state_ok(shots[s][k])) {
                what = bad_state(indexed(shots_name, s) + "[" + std::to_string(owner) + "]", shots[s][k].state);
                return false;
            }
    }
    return true;
}

}  // namespace

void Checker::start() {
    std::memcpy(previous_, game.grid, sizeof previous_);
    last_level_number_ = game.level_number;
    load_expected(game.level_number);
    // Start-up loads a level on the title screen only. Started in play the grid
    // stays as it is until the first level end loads one; until then it is its
    // own reference.
    level_loaded_ = game.mode == MODE_TITLE || std::memcmp(expected_, game.grid, sizeof expected_) == 0;
    if (!level_loaded_) {
        std::memcpy(expected_, game.grid, sizeof expected_);
        expected_level_ = -1;
    }
}

bool Checker::check(std::string &what) {
    if (!check_counters(what)) return false;
    if (game.mode == MODE_EDITOR) return check_edited_grid(what);
    return check_loaded_grid(what);
}

bool Checker::check_counters(std::string &what) const {
    if (game.mode < MODE_TITLE || game.mode > MODE_EDITOR) {
        what = "mode is " + std::to_string(game.mode) + ", not 1, 2 or 3";
        return false;
    }
    if (game.next_shot < PLAYER_FIRST_SLOT || game.next_shot > PLAYER_LAST_SLOT) {
        what = "next_shot is " + std::to_string(game.next_shot) + ", not in 1..20";
        return false;
    }
    if (game.top_row != round_half_even(game.scroll_y, CELL_SIZE)) {
        what = "top_row is " + std::to_string(game.top_row) + " but scroll_y is " + std::to_string(game.scroll_y);
        return false;
    }
    for (int32_t s = 0; s < SHOT_SLOTS; ++s)
        if (!state_ok(game.player_shots[s])) {
            what = bad_state(indexed("player_shots", s), game.player_shots[s].state);
            return false;
        }
    return enemies_ok("walkers", game.walkers, "walker_shots", game.walker_shots, what) &&
           enemies_ok("right_turrets", game.right_turrets, "right_turret_shots", game.right_turret_shots, what) &&
           enemies_ok("left_turrets", game.left_turrets, "left_turret_shots", game.left_turret_shots, what);
}

// The expected grid comes from the game's own loader, run on the real grid and
// undone at once, so the check says "what load_level puts there" and nothing more.
void Checker::load_expected(int32_t level) {
    static Grid saved;
    std::memcpy(saved, game.grid, sizeof saved);
    const int32_t reader = game.level_reader;
    load_level(level);
    std::memcpy(expected_, game.grid, sizeof expected_);
    std::memcpy(game.grid, saved, sizeof saved);
    game.level_reader = reader;
    expected_level_ = level;
}

bool Checker::check_loaded_grid(std::string &what) {
    // Every load in play or on the title screen comes with a new level_number,
    // or is level 2 again after a game that ended on level 2.
    if (game.level_number != last_level_number_) level_loaded_ = true;
    last_level_number_ = game.level_number;
    if (level_loaded_ && expected_level_ != game.level_number) load_expected(game.level_number);
    if (std::memcmp(expected_, game.grid, sizeof expected_) == 0) return true;
    for (int32_t r = 0; r < GRID_ROWS; ++r)
        for (int32_t c = 0; c < GRID_COLS; ++c)
            if (game.grid[r][c] != expected_[r][c]) {
                what = "grid[" + std::to_string(r) + "][" + std::to_string(c) + "] is " +
                       std::to_string(game.grid[r][c]) + " but " +
                       (level_loaded_ ? "level " + std::to_string(game.level_number) + " has "
                                      : std::string("before any level was loaded it was ")) +
                       std::to_string(expected_[r][c]);
                return false;
            }
    return true;
}

bool Checker::check_edited_grid(std::string &what) {
    if (std::memcmp(previous_, game.grid, sizeof previous_) == 0) return true;
    int changes = 0;
    int32_t row = 0, col = 0;
    for (int32_t r = 0; r < GRID_ROWS; ++r)
        for (int32_t c = 0; c < GRID_COLS; ++c)
            if (game.grid[r][c] != previous_[r][c]) {
                ++changes;
                row = r;
                col = c;
            }
    std::memcpy(previous_, game.grid, sizeof previous_);
    if (changes > 1) {
        what = std::to_string(changes) + " grid cells changed in one frame";
        return false;
    }
    if (row != game.cursor_row || col != game.cursor_col) {
        what = "grid[" + std::to_string(row) + "][" + std::to_string(col) + "] changed but the cursor is on row " +
               std::to_string(game.cursor_row) + ", column " + std::to_string(game.cursor_col);
        return false;
    }
    return true;
}
