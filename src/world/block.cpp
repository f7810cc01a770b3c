#include "assets/atlas.h"
#include "core/game_state.h"
#include "core/geometry.h"
#include "core/random.h"
#include "world/world.h"

namespace {
constexpr int32_t BLOCK_LIFT = 5;  // a walker touching a block is lifted this far, every frame

// The ship touches a block when the strip at its left edge overlaps the block's
// box sideways and its top edge lies within the key's reach above the block's
// top: how far above it may be, plus one. The ship drives into a block from
// the side, from below when scrolling up, and from above when scrolling down.
constexpr int32_t SHIP_STRIP_W = 10;  // only the 10 pixels at the ship's left edge count
constexpr int32_t SIDE_REACH = 10;    // Left, Right: the ship's top up to 9 pixels above the block's
constexpr int32_t UP_REACH = -5;      // Up: at least 6 pixels below it
constexpr int32_t DOWN_REACH = 40;    // Down: up to 39 above it, the ship's whole height

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

template <size_t SLOTS>
void stop_shots(Shot (&table)[SLOTS], int32_t bx, int32_t by, bool only_flying) {
    stop_shots(&table[0], SLOTS, bx, by, only_flying);
}

template <size_t SLOTS, size_t OWNERS>
void stop_shots(Shot (&table)[SLOTS][OWNERS], int32_t bx, int32_t by, bool only_flying) {
    stop_shots(&table[0][0], SLOTS * OWNERS, bx, by, only_flying);
}

bool ship_touches(int32_t bx, int32_t by, int32_t reach) {
    return game.player_x + SHIP_STRIP_W > bx && game.player_y + reach > by && game.player_x < bx + BLOCK_BOX &&
           game.player_y < by + BLOCK_BOX;
}
}  // namespace

// A block stops every shot that enters it, lifts walkers that touch it and
// holds the ship and the view back against the keys that drive into it.
void step_block(int32_t col, int32_t row) {
    // The box uses the view as this handler finds it (after any push earlier in
    // this walk); a push by this block below moves only its drawing.
    const int32_t bx = col * CELL_SIZE;
    const int32_t by = row * CELL_SIZE - game.scroll_y;

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

    const bool side = ship_touches(bx, by, SIDE_REACH);
    push_ship_back({.left = side,
                    .right = side,
                    .up = ship_touches(bx, by, UP_REACH),
                    .down = ship_touches(bx, by, DOWN_REACH)});

    stop_shots(game.player_shots, bx, by, true);

    draw_sprite_region(SPR_BLOCK, bx, row * CELL_SIZE - game.scroll_y);
}
