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
    {.source = SHEET, .x = 0, .y = 0, .w = 32, .h = 40, .masked = true},       // SPR_SHIP_1
    {.source = SHEET, .x = 32, .y = 0, .w = 32, .h = 40, .masked = true},      // SPR_SHIP_2
    {.source = SHEET, .x = 64, .y = 0, .w = 40, .h = 40, .masked = true},      // SPR_BLOCK
    {.source = SHEET, .x = 111, .y = 0, .w = 32, .h = 32, .masked = true},     // SPR_RIGHT_TURRET
    {.source = SHEET, .x = 143, .y = 0, .w = 32, .h = 32, .masked = true},     // SPR_LEFT_TURRET
    {.source = SHEET, .x = 261, .y = 0, .w = 5, .h = 10, .masked = true},      // SPR_SHOT
    {.source = SHEET, .x = 500, .y = 0, .w = 10, .h = 10, .masked = true},     // SPR_CURSOR
    {.source = SHEET, .x = 0, .y = 50, .w = 32, .h = 40, .masked = true},      // SPR_WALKER_LEFT
    {.source = SHEET, .x = 0, .y = 50, .w = 32, .h = 40, .masked = true},      // SPR_WALKER_RIGHT: the same picture as left
    {.source = SHEET, .x = 32, .y = 50, .w = 32, .h = 40, .masked = true},     // SPR_WALKER_DOWN
    {.source = SHEET, .x = 0, .y = 100, .w = 8, .h = 8, .masked = true},       // SPR_TURRET_SHOT
    {.source = SHEET, .x = 176, .y = 35, .w = 30, .h = 34, .masked = true},    // SPR_EXPLOSION_1
    {.source = SHEET, .x = 211, .y = 35, .w = 30, .h = 34, .masked = true},
    {.source = SHEET, .x = 249, .y = 35, .w = 30, .h = 34, .masked = true},
    {.source = SHEET, .x = 285, .y = 35, .w = 30, .h = 34, .masked = true},
    {.source = SHEET, .x = 321, .y = 35, .w = 30, .h = 34, .masked = true},
    {.source = SHEET, .x = 357, .y = 35, .w = 30, .h = 34, .masked = true},
    {.source = SHEET, .x = 391, .y = 35, .w = 30, .h = 34, .masked = true},
    {.source = SHEET, .x = 429, .y = 35, .w = 30, .h = 34, .masked = true},
    {.source = SHEET, .x = 465, .y = 35, .w = 30, .h = 34, .masked = true},
    {.source = SHEET, .x = 500, .y = 35, .w = 30, .h = 34, .masked = true},    // SPR_EXPLOSION_10
    {.source = SHEET, .x = 0, .y = 130, .w = 32, .h = 40, .masked = true},     // SPR_WALKER_DEATH_1
    {.source = SHEET, .x = 36, .y = 130, .w = 32, .h = 40, .masked = true},
    {.source = SHEET, .x = 68, .y = 130, .w = 36, .h = 40, .masked = true},
    {.source = SHEET, .x = 105, .y = 130, .w = 36, .h = 40, .masked = true},
    {.source = SHEET, .x = 141, .y = 130, .w = 36, .h = 40, .masked = true},
    {.source = SHEET, .x = 178, .y = 130, .w = 36, .h = 40, .masked = true},
    {.source = SHEET, .x = 214, .y = 130, .w = 36, .h = 40, .masked = true},
    {.source = SHEET, .x = 249, .y = 130, .w = 36, .h = 40, .masked = true},
    {.source = SHEET, .x = 284, .y = 130, .w = 36, .h = 40, .masked = true},
    {.source = SHEET, .x = 321, .y = 130, .w = 36, .h = 40, .masked = true},
    {.source = SHEET, .x = 357, .y = 130, .w = 36, .h = 40, .masked = true},
    {.source = SHEET, .x = 395, .y = 130, .w = 36, .h = 40, .masked = true},   // SPR_WALKER_DEATH_12
    {.source = SHEET, .x = 0, .y = 180, .w = 32, .h = 32, .masked = true},     // SPR_WRECK_1
    {.source = SHEET, .x = 32, .y = 180, .w = 32, .h = 32, .masked = true},
    {.source = SHEET, .x = 64, .y = 180, .w = 32, .h = 32, .masked = true},    // SPR_WRECK_3
    {.source = SHEET, .x = 258, .y = 90, .w = 97, .h = 20, .masked = false},   // SPR_BANNER
    {.source = TITLE, .x = 0, .y = 0, .w = 320, .h = 320, .masked = false},    // SPR_TITLE_1
    {.source = TITLE, .x = 320, .y = 0, .w = 320, .h = 320, .masked = false},  // SPR_TITLE_2
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
