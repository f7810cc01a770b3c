// Folder core/, the ground tier: the game state, its constants and the small
// helpers and seams (geometry, random numbers, clock, sound) that every other
// folder includes. It includes nothing of the game's above it.
//
// The one game object. Every field is zero before start-up; start-up gives the
// start values. All numbers are signed 32-bit; positions are screen pixels unless
// said otherwise. Two-state fields hold 2 for on and 1 for off.
#pragma once

#include <allegro.h>
#include <cstdint>

#include "core/constants.h"

struct ScoreCounter {
    int32_t digit[SCORE_DIGITS];  // digit[p] is the place 10^p; each 0..9 after the carry
};

// One shot slot of the ship, a walker or a turret. An idle shot is parked at
// its owner (the ship's nose, a walker's feet, a turret's muzzle) and moves with
// it; a flying one moves on its own in screen coordinates.
struct Shot {
    int32_t state;  // SHOT_IDLE or SHOT_FLYING
    int32_t x, y;   // screen position of the sprite's corner
};

struct Walker {
    int32_t off_x, off_y;        // offset from the anchor cell, pixels
    int32_t x, y;                // screen position stored at the start of each update
    int32_t direction;           // DIR_LEFT, DIR_RIGHT or DIR_DOWN
    int32_t next_slot;           // shot slot fired next, 1..19
    int32_t fire_count;          // updates since the last shot
    int32_t fire_interval;       // fires when fire_count exceeds this, 30..119
    int32_t death_x, death_y;    // screen position of the death animation
    int32_t death_frame;         // 1..12, 13 once ended
    int32_t dying;               // 2 while the death animation plays
    int32_t death_tick;          // updates since death_frame last advanced, 0..5
    int32_t alive;               // 2 present, 1 destroyed
    int32_t wreck_frame;         // 1..3
    int32_t wreck_active;        // 2 while the wreck slides off
    int32_t wreck_x, wreck_y;    // screen position of the wreck
};

struct Turret {
    int32_t x, y;                        // screen position stored at the start of each update
    int32_t next_slot;                   // shot slot fired next, 1..19
    int32_t fire_count;                  // updates since the last shot
    int32_t fire_interval;               // fires when fire_count exceeds this, 50..300
    int32_t explosion_x, explosion_y;    // screen position of the explosion
    int32_t explosion_frame;             // 1..10, 11 once ended
    int32_t exploding;                   // 2 while the explosion plays
    int32_t explosion_tick;              // updates since explosion_frame last advanced, 0..5
    int32_t alive;                       // 2 present, 1 destroyed
};


struct GameState {
    // Game-wide.
    int32_t mode;            // GameMode; 0 until start_game
    BITMAP *back_buffer;     // everything is drawn here, then copied to the screen once a frame
    int32_t level_number;    // built-in level being played, 2..5
    int32_t last_level;      // highest level before the wrap to 2
    int32_t title_frame;     // position in the title cycle, 0..900
    int32_t music_state;     // 1 music not yet started, 2 started
    int32_t scoring_flag;    // 1 no points and the banner, 2 points
    ScoreCounter score;

    // Level.
    int32_t grid[GRID_ROWS][GRID_COLS];  // cell codes, [row][col]
    int32_t level_reader;                // read position in the level table, shared by all loads

    // View.
    int32_t scroll_y;        // world y of the window's top edge, pixels
    int32_t top_row;         // first grid row in view: scroll_y / 10 rounded half-even

    // Player.
    int32_t player_off_x, player_off_y;  // ship offset from its anchor cell
    int32_t player_x, player_y;          // ship corner on screen, before this frame's margin fix
    int32_t ship_frame;                  // 1 or 2 draws a ship; anything else draws none
    int32_t move_timer;                  // frames of held arrows in play; acts past 3
    int32_t fire_timer;                  // frames of held Space in play; fires past 12
    int32_t next_shot;                   // player shot slot fired next, 1..20
    Shot player_shots[SHOT_SLOTS];

    // Enemies. Shot tables are indexed [slot][owner].
    Walker walkers[WALKER_SLOTS];
    Shot walker_shots[SHOT_SLOTS][WALKER_SLOTS];
    Turret right_turrets[TURRET_SLOTS];
    Turret left_turrets[TURRET_SLOTS];
    Shot right_turret_shots[SHOT_SLOTS][TURRET_SLOTS];
    Shot left_turret_shots[SHOT_SLOTS][TURRET_SLOTS];

    // Editor.
    int32_t cursor_off_x, cursor_off_y;  // cursor offset from its anchor cell, pixels
    int32_t cursor_col, cursor_row;      // level cell under the cursor (absolute row)
    int32_t brush;                       // BRUSH_ERASE .. BRUSH_LEFT_TURRET
    int32_t place_request;               // 2 asks the cursor to place the brush once
    int32_t next_walker_code;            // code the next placed walker gets, 4..104
    int32_t next_right_turret_code;      // 105..154
    int32_t next_left_turret_code;       // 155..204
    int32_t editor_key_timer;            // frames of held arrows or Space in the editor
    int32_t exports;                     // how many times level.txt has been written

    // Assets, loaded once at start-up.
    BITMAP *sprite_sheet;
    BITMAP *title_art;
    PALETTE sprite_palette;
    PALETTE title_palette;
    SAMPLE *shot_sample;
    SAMPLE *hit_sample;
    SAMPLE *music_sample;
};

extern GameState game;

// Moves the view and keeps top_row in step with it: scroll_y / 10, rounded.
void set_scroll_y(int32_t y);

