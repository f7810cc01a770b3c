// The game headless for the unit tests: the real library without a display,
// memory bitmaps, the real data/ files, the clock pinned and sounds recorded.
#pragma once

#include <initializer_list>
#include <vector>

#include "core/sound.h"

// Zeroes the game and runs the game's own start-up in the given mode:
// reset_world, then load_assets. The clock reads 0 until a test pins it.
void start_test_game(int mode);
// start_test_game in the title mode, then S held for one frame; the level is
// then emptied down to the ship's anchor (row 25, column 15) and the sounds of
// the title frame are forgotten. The next frame is the first frame of play.
void start_empty_play();
// The mode's usual start: start_empty_play for play, else start_test_game.
void start_in_mode(int mode);
// Releases what start_test_game made.
void stop_test_game();

// Every sound call since the last start_test_game.
extern std::vector<SoundCall> sounds;

// Holds exactly these keys for the next reads of key[].
void hold_keys(std::initializer_list<int> keys);

// The frame loop's twelve steps with no retrace wait; false once Escape is held.
bool run_test_frame();
// Runs n frames holding the given keys.
void run_frames(int n, std::initializer_list<int> keys = {});
