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

namespace {
// Draws frame n (first..first+count-1 mapped from 1..count) or nothing.
void draw_numbered(SpriteName first, int32_t count, int32_t n, int32_t x, int32_t y) {
    if (n < 1 || n > count) return;
    draw_sprite_region(static_cast<SpriteName>(first + n - 1), x, y);
}
}  // namespace

void draw_ship_frame(int32_t frame, int32_t x, int32_t y) { draw_numbered(SPR_SHIP_1, 2, frame, x, y); }
void draw_walker(int32_t direction, int32_t x, int32_t y) { draw_numbered(SPR_WALKER_LEFT, 3, direction, x, y); }
void draw_walker_death_frame(int32_t frame, int32_t x, int32_t y) {
    draw_numbered(SPR_WALKER_DEATH_1, DEATH_FRAMES, frame, x, y);
}
void draw_explosion_frame(int32_t frame, int32_t x, int32_t y) {
    draw_numbered(SPR_EXPLOSION_1, EXPLOSION_FRAMES, frame, x, y);
}
void draw_wreck_frame(int32_t frame, int32_t x, int32_t y) { draw_numbered(SPR_WRECK_1, WRECK_FRAMES, frame, x, y); }
