#include <allegro.h>

#include "assets/atlas.h"
#include "core/game_state.h"
#include "core/geometry.h"
#include "core/random.h"
#include "world/world.h"

namespace {
// Makes idle every shot among `count` in a row that lies strictly inside the block,
// bx < x < bx + 41 and by < y < by + 41 (only the flying ones when asked). No
// shot's test depends on another's, so a [slot][owner] table is walked in memory
// order; each axis is one unsigned range check, since nearly every shot misses
// and one well-predicted branch beats two coin-flip ones. This runs for every
// block in view against every enemy shot.
void stop_shots(Shot *shot, size_t count, int32_t bx, int32_t by, bool only_flying) {
    const uint32_t left = static_cast<uint32_t>(bx) + 1, top = static_cast<uint32_t>(by) + 1;
    for (; count > 0; --count, ++shot)
        if (static_cast<uint32_t>(shot->x) - left < BLOCK_BOX - 1 && static_cast<uint32_t>(shot->y) - top < BLOCK_BOX - 1 &&
            (!only_flying || shot->state == SHOT_FLYING))
            shot->state = SHOT_IDLE;
}

template <size_t SLOTS, size_t OWNERS>
void stop_shots(Shot (&table)[SLOTS][OWNERS], int32_t bx, int32_t by, bool only_flying) {
    stop_shots(&table[0][0], SLOTS * OWNERS, bx, by, only_flying);
}

// The ship's left-edge strip against the block, with the vertical reach of each key.
bool ship_touches(int32_t bx, int32_t by, int32_t top_reach) {
    return game.player_x + 10 > bx && game.player_y + top_reach > by && game.player_x < bx + BLOCK_BOX &&
           game.player_y < by + BLOCK_BOX;
}
}  // namespace

// A block stops every shot that enters it, lifts walkers that touch it and
// holds the ship and the view back against the keys that drive into it.
void step_block(int32_t col, int32_t row) {
    const int32_t bx = col * CELL_SIZE;
    const int32_t by = row * CELL_SIZE - game.scroll_y;  // the box keeps this frame's first view

    // Turret shots stop whatever their state; walker shots only in flight.
    stop_shots(game.right_turret_shots, bx, by, false);
    stop_shots(game.left_turret_shots, bx, by, false);
    for (Walker &walker : game.walkers) {
        if (strictly_between(walker.x, bx, bx + BLOCK_BOX) && strictly_between(walker.y, by - BLOCK_BOX, by + BLOCK_BOX)) {
            reseed_random();
            walker.off_y -= BLOCK_LIFT;
            walker.direction = random_int(DIR_LEFT, DIR_RIGHT);
        }
    }
    stop_shots(game.walker_shots, bx, by, true);

    if (held(KEY_LEFT) && ship_touches(bx, by, 10)) game.player_off_x += PUSH_STEP;
    if (held(KEY_RIGHT) && ship_touches(bx, by, 10)) game.player_off_x -= PUSH_STEP;
    if (held(KEY_UP) && ship_touches(bx, by, -5)) set_scroll_y(game.scroll_y + PUSH_STEP);
    if (held(KEY_DOWN) && ship_touches(bx, by, 40)) set_scroll_y(game.scroll_y - PUSH_STEP);

    stop_shots(game.player_shots, SHOT_SLOTS, bx, by, true);

    draw_sprite_region(SPR_BLOCK, bx, row * CELL_SIZE - game.scroll_y);
}
