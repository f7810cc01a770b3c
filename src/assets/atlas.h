// The picture regions of the two bitmaps, and the operations that draw them.
#pragma once

#include <cstdint>

enum SpriteSource { SHEET, TITLE };

struct SpriteRegion {
    SpriteSource source;
    int32_t x, y, w, h;
    bool masked;  // masked_blit leaves out magenta; opaque regions copy every pixel
};

enum SpriteName {
    SPR_SHIP_1, SPR_SHIP_2, SPR_BLOCK, SPR_RIGHT_TURRET, SPR_LEFT_TURRET, SPR_SHOT, SPR_CURSOR,
    SPR_WALKER_LEFT, SPR_WALKER_RIGHT, SPR_WALKER_DOWN, SPR_TURRET_SHOT,
    SPR_EXPLOSION_1, SPR_EXPLOSION_2, SPR_EXPLOSION_3, SPR_EXPLOSION_4, SPR_EXPLOSION_5,
    SPR_EXPLOSION_6, SPR_EXPLOSION_7, SPR_EXPLOSION_8, SPR_EXPLOSION_9, SPR_EXPLOSION_10,
    SPR_WALKER_DEATH_1, SPR_WALKER_DEATH_2, SPR_WALKER_DEATH_3, SPR_WALKER_DEATH_4,
    SPR_WALKER_DEATH_5, SPR_WALKER_DEATH_6, SPR_WALKER_DEATH_7, SPR_WALKER_DEATH_8,
    SPR_WALKER_DEATH_9, SPR_WALKER_DEATH_10, SPR_WALKER_DEATH_11, SPR_WALKER_DEATH_12,
    SPR_WRECK_1, SPR_WRECK_2, SPR_WRECK_3,
    SPR_BANNER, SPR_TITLE_1, SPR_TITLE_2,
    SPR_COUNT
};

// One row per SPR_ name, in the order of the enum. The frames of the
// explosion and the walker's death are not evenly spaced on the sheet.
constexpr SpriteRegion ATLAS[SPR_COUNT] = {
    {SHEET, 0, 0, 32, 40, true},      // SPR_SHIP_1
    {SHEET, 32, 0, 32, 40, true},     // SPR_SHIP_2
    {SHEET, 64, 0, 40, 40, true},     // SPR_BLOCK
    {SHEET, 111, 0, 32, 32, true},    // SPR_RIGHT_TURRET
    {SHEET, 143, 0, 32, 32, true},    // SPR_LEFT_TURRET
    {SHEET, 261, 0, 5, 10, true},     // SPR_SHOT
    {SHEET, 500, 0, 10, 10, true},    // SPR_CURSOR
    {SHEET, 0, 50, 32, 40, true},     // SPR_WALKER_LEFT
    {SHEET, 0, 50, 32, 40, true},     // SPR_WALKER_RIGHT: the same picture as left
    {SHEET, 32, 50, 32, 40, true},    // SPR_WALKER_DOWN
    {SHEET, 0, 100, 8, 8, true},      // SPR_TURRET_SHOT
    {SHEET, 176, 35, 30, 34, true},   // SPR_EXPLOSION_1
    {SHEET, 211, 35, 30, 34, true},
    {SHEET, 249, 35, 30, 34, true},
    {SHEET, 285, 35, 30, 34, true},
    {SHEET, 321, 35, 30, 34, true},
    {SHEET, 357, 35, 30, 34, true},
    {SHEET, 391, 35, 30, 34, true},
    {SHEET, 429, 35, 30, 34, true},
    {SHEET, 465, 35, 30, 34, true},
    {SHEET, 500, 35, 30, 34, true},   // SPR_EXPLOSION_10
    {SHEET, 0, 130, 32, 40, true},    // SPR_WALKER_DEATH_1
    {SHEET, 36, 130, 32, 40, true},
    {SHEET, 68, 130, 36, 40, true},
    {SHEET, 105, 130, 36, 40, true},
    {SHEET, 141, 130, 36, 40, true},
    {SHEET, 178, 130, 36, 40, true},
    {SHEET, 214, 130, 36, 40, true},
    {SHEET, 249, 130, 36, 40, true},
    {SHEET, 284, 130, 36, 40, true},
    {SHEET, 321, 130, 36, 40, true},
    {SHEET, 357, 130, 36, 40, true},
    {SHEET, 395, 130, 36, 40, true},  // SPR_WALKER_DEATH_12
    {SHEET, 0, 180, 32, 32, true},    // SPR_WRECK_1
    {SHEET, 32, 180, 32, 32, true},
    {SHEET, 64, 180, 32, 32, true},   // SPR_WRECK_3
    {SHEET, 258, 90, 97, 20, false},  // SPR_BANNER
    {TITLE, 0, 0, 320, 320, false},   // SPR_TITLE_1
    {TITLE, 320, 0, 320, 320, false}, // SPR_TITLE_2
};

// The bitmaps must reach every region.
constexpr int SHEET_MIN_W = 530, SHEET_MIN_H = 212;
constexpr int TITLE_MIN_W = 640, TITLE_MIN_H = 320;

// Copy one region to back_buffer with its corner at (x, y); the library clips.
void draw_sprite_region(SpriteName name, int32_t x, int32_t y);

// Frame and direction drawers; a number outside the range draws nothing.
void draw_ship_frame(int32_t frame, int32_t x, int32_t y);            // 1..2
void draw_walker(int32_t direction, int32_t x, int32_t y);            // DIR_LEFT..DIR_DOWN
void draw_walker_death_frame(int32_t frame, int32_t x, int32_t y);    // 1..12
void draw_explosion_frame(int32_t frame, int32_t x, int32_t y);       // 1..10
void draw_wreck_frame(int32_t frame, int32_t x, int32_t y);           // 1..3
