#include "assets/atlas.h"

#include "core/game_state.h"

void draw_sprite_region(SpriteName name, int32_t x, int32_t y) {
    const SpriteRegion &r = ATLAS[name];
    BITMAP *src = r.source == SHEET ? game.sprite_sheet : game.title_art;
    if (!src || !game.back_buffer) return;  // never draw from a missing picture
    if (r.masked)
        masked_blit(src, game.back_buffer, r.x, r.y, x, y, r.w, r.h);
    else
        blit(src, game.back_buffer, r.x, r.y, x, y, r.w, r.h);
}

// The handlers count their animations' frames; the atlas must hold as many.
static_assert(SPR_WALKER_DEATH_12 - SPR_WALKER_DEATH_1 + 1 == DEATH_FRAMES);
static_assert(SPR_EXPLOSION_10 - SPR_EXPLOSION_1 + 1 == EXPLOSION_FRAMES);
static_assert(SPR_WRECK_3 - SPR_WRECK_1 + 1 == WRECK_FRAMES);

namespace {
// Draws frame n of the run of regions first..last, numbered from 1, or nothing.
void draw_numbered(SpriteName first, SpriteName last, int32_t n, int32_t x, int32_t y) {
    if (n < 1 || n > last - first + 1) return;
    draw_sprite_region(static_cast<SpriteName>(first + n - 1), x, y);
}
}  // namespace

void draw_ship_frame(int32_t frame, int32_t x, int32_t y) { draw_numbered(SPR_SHIP_1, SPR_SHIP_2, frame, x, y); }
void draw_walker(int32_t direction, int32_t x, int32_t y) {
    draw_numbered(SPR_WALKER_LEFT, SPR_WALKER_DOWN, direction, x, y);
}
void draw_walker_death_frame(int32_t frame, int32_t x, int32_t y) {
    draw_numbered(SPR_WALKER_DEATH_1, SPR_WALKER_DEATH_12, frame, x, y);
}
void draw_explosion_frame(int32_t frame, int32_t x, int32_t y) {
    draw_numbered(SPR_EXPLOSION_1, SPR_EXPLOSION_10, frame, x, y);
}
void draw_wreck_frame(int32_t frame, int32_t x, int32_t y) { draw_numbered(SPR_WRECK_1, SPR_WRECK_3, frame, x, y); }
