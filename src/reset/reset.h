// Folder reset/, a rules tier: the world reset.
#pragma once

#include <cstdint>

// Brings the player's counters and every enemy and shot table back to their start
// state with fresh random headings and intervals; in MODE_TITLE it also starts a
// new game: level 2, a zero score, level 2 in the grid.
void reset_world();

// Enters from its bottom the level that follows level `before` in the game's
// cycle, 2, 3, 4, 5, 2, ...: the world reset, the view at the level's start,
// then the next level in level_number and in the grid. The wrap after
// last_level uses its value as the reset leaves it. A new game, the top of a
// level and the probe's jump to a level all enter a level this one way.
void enter_level_after(int32_t before);
