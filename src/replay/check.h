// The invariants that hold after every frame of any game, whatever the keys:
// a tester's tripwire and the soak test's oracle.
//
//   mode is 1, 2 or 3; next_shot is in 1..20; every next_slot is in 1..19; every
//   shot state is 1 or 2; top_row is scroll_y / 10 rounded.
//   Title and play: the grid holds exactly what the game's own loader puts
//   there for level_number (before the first level is loaded, as after
//   --start-mode play, it stays as it was), so row 0 and column 0 stay 0.
//   Editor: a frame changes at most one cell, the one under the cursor.
#pragma once

#include <cstdint>
#include <string>

#include "core/game_state.h"

class Checker {
public:
    // Takes the state as it stands as the reference for the checks that follow.
    void start();
    // Checks the state after a frame (or now); false with `what` saying what is wrong.
    bool check(std::string &what);

private:
    using Grid = int32_t[GRID_ROWS][GRID_COLS];
    bool check_counters(std::string &what) const;
    bool check_loaded_grid(std::string &what);
    bool check_edited_grid(std::string &what);
    void load_expected(int32_t level);

    Grid previous_{};     // the editor's grid after the last frame checked
    Grid expected_{};     // what the loader puts there for expected_level_
    int32_t expected_level_ = -1;
    int32_t last_level_number_ = 0;
    bool level_loaded_ = false;  // false until a level is known to be in the grid
};
