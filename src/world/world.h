// Folder world/, a rules tier: the cells in view and their handlers.
// May include: core level assets world
//
// The world: one walk over the cells in view per frame, in which every handler
// updates its object and draws it at once.
#pragma once

#include <cstdint>

// Walks rows top_row..top_row+32, columns 0..32, running the handlers of each cell.
void step_world();

void step_ship(int32_t col, int32_t row);
void step_block(int32_t col, int32_t row);
void step_walker(int32_t k, int32_t col, int32_t row);
void step_right_turret(int32_t l, int32_t col, int32_t row);
void step_left_turret(int32_t m, int32_t col, int32_t row);
void step_cursor(int32_t col, int32_t row);

// True while an arrow key is held (the keyboard as last polled).
bool held(int key_code);
// What Up and Down add to the y of enemy shots and animations this frame, so
// that they keep their place on the screen against the view's scroll.
int32_t key_drift();
// One update of a death or explosion animation: the frame steps once its tick
// passes ANIM_TICKS (so frame 1 shows for 5 updates, later ones for 6), and the
// update that steps past the last frame ends it (active = OFF).
void advance_animation(int32_t &tick, int32_t &frame, int32_t &active, int32_t last_frame);
