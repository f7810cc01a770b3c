// Folder world/, a rules tier: the cells in view and their handlers.
//
// The world: one walk over the cells in view per frame, in which every handler
// updates its object and draws it at once.
#pragma once

#include <cstdint>
#include <optional>

#include "core/constants.h"

struct Shot;

// Walks rows top_row..top_row+32, columns 0..32, running the handlers of each cell.
void step_world();

void step_ship(int32_t col, int32_t row);
void step_block(int32_t col, int32_t row);
void step_walker(int32_t k, int32_t col, int32_t row);
void step_right_turret(int32_t l, int32_t col, int32_t row);
void step_left_turret(int32_t m, int32_t col, int32_t row);
void step_cursor(int32_t col, int32_t row);

// Blocks keep a box around each enemy owner's shots while a walk runs:
// step_world says when its walk starts (true) and ends (false), and the walker
// and turret handlers say when they have moved their owner's shots.
void mark_walk(bool running);
void owner_shots_moved(const Shot (&table)[SHOT_SLOTS][WALKER_SLOTS], int32_t k);
void owner_shots_moved(const Shot (&table)[SHOT_SLOTS][TURRET_SLOTS], int32_t n);

// True while an arrow key is held (the keyboard as last polled).
bool held(int key_code);

// Play: where one frame of a held arrow moves the ship, for the game's keys
// and for anyone who foresees them. Left and Right move its offset across by
// SHIP_STEP pixels, Up and Down the view by SCROLL_STEP; Down stops at the
// level's bottom, Up nowhere.
enum Arrow { ARROW_LEFT, ARROW_RIGHT, ARROW_UP, ARROW_DOWN };
constexpr Arrow ARROWS[] = {ARROW_LEFT, ARROW_RIGHT, ARROW_UP, ARROW_DOWN};
struct ShipPlace {
    int32_t x;         // across: the ship's offset, or where it is drawn (a step moves both alike)
    int32_t scroll_y;  // the view's
};
constexpr ShipPlace moved_by(Arrow arrow, ShipPlace at) {
    switch (arrow) {
        case ARROW_LEFT: return {at.x - SHIP_STEP, at.scroll_y};
        case ARROW_RIGHT: return {at.x + SHIP_STEP, at.scroll_y};
        case ARROW_UP: return {at.x, at.scroll_y - SCROLL_STEP};
        default: {
            const int32_t y = at.scroll_y + SCROLL_STEP;
            return {at.x, y > LEVEL_START_SCROLL_Y ? LEVEL_START_SCROLL_Y : y};
        }
    }
}

// The arrow keys whose way is barred by something solid the ship touches.
struct BarredKeys {
    bool left, right, up, down;
};
// The ship cannot steer or scroll into a block or a live turret: each barred
// key that is held is answered by a push the other way, of the ship's offset
// for Left and Right and of the view for Up and Down.
void push_ship_back(BarredKeys barred);

// The rules walkers and turrets share.
//
// What Up and Down add to the y of enemy shots and animations this frame, so
// that they keep their place on the screen against the view's scroll: for the
// keys as last polled, and for Up and Down held or not.
int32_t key_drift();
constexpr int32_t key_drift_for(bool up, bool down) { return (up ? KEY_DRIFT : 0) - (down ? KEY_DRIFT : 0); }
// One update of a death or explosion animation: the frame steps once its tick
// passes 5 (so frame 1 shows for 5 updates, later ones for 6), and the update
// that steps past the last frame ends it (active = OFF).
void advance_animation(int32_t &tick, int32_t &frame, int32_t &active, int32_t last_frame);
// Counts one update of an enemy's gun. Once the count passes the interval it
// starts afresh and gives the slot to send off, 1..19 in turn. The caller only
// sets that slot flying: the shot leaves from where its owner last parked it,
// and one still in flight flies on.
std::optional<int32_t> slot_to_fire(int32_t &fire_count, int32_t fire_interval, int32_t &next_slot);
// An enemy shot inside the ship's 33 x 41 box ends the game, in play only.
// The shot flies on.
void hit_ship_if_touched(const Shot &shot);
// True when the point lies in the ship's box as the ship last stored it.
bool in_ship_hit_box(int32_t x, int32_t y);
// Whether the flying shots of right-firing (or left-firing) turrets drift with
// the keys before their ship test; walker shots drift after it.
bool turret_shots_drift_before_hit(bool right_firing);
// A kill adds its points to the tens digit (carried next frame) when points
// count, and plays the hit sound.
void score_kill(int32_t points);
