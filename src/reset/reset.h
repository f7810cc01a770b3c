// Folder reset/, a rules tier: the world reset.
// May include: core level reset
#pragma once

// Brings the player's counters and every enemy and shot table back to their start
// state with fresh random headings and intervals; in MODE_TITLE it also starts a
// new game: level 2, a zero score, level 2 in the grid.
void reset_world();
