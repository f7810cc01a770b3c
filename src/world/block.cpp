#include <allegro.h>

#include "../assets/atlas.h"
#include "../shell/game_state.h"
#include "../shell/geometry.h"
#include "../shell/random.h"
#include "world.h"

namespace {
bool inside_block(const PlayerShot &shot, int32_t bx, int32_t by) {
    return point_in_box(shot.x, shot.y, bx, by, BLOCK_BOX, BLOCK_BOX);
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

    // Turret shots stop whatever their state.
    for (int32_t t = 0; t < TURRET_SLOTS; ++t) {
        for (int32_t s = 0; s < SHOT_SLOTS; ++s) {
            TurretShot &right = game.right_turret_shots[s][t];
            if (inside_block(right, bx, by)) right.state = SHOT_IDLE;
            TurretShot &left = game.left_turret_shots[s][t];
            if (inside_block(left, bx, by)) left.state = SHOT_IDLE;
        }
    }

    for (int32_t w = 0; w < WALKER_SLOTS; ++w) {
        Walker &walker = game.walkers[w];
        if (strictly_between(walker.x, bx, bx + BLOCK_BOX) && strictly_between(walker.y, by - BLOCK_BOX, by + BLOCK_BOX)) {
            reseed_random();
            walker.off_y -= BLOCK_LIFT;
            walker.direction = random_int(DIR_LEFT, DIR_RIGHT);
        }
        for (int32_t s = 0; s < SHOT_SLOTS; ++s) {
            WalkerShot &shot = game.walker_shots[s][w];
            if (shot.state == SHOT_FLYING && inside_block(shot, bx, by)) shot.state = SHOT_IDLE;
        }
    }

    if (held(KEY_LEFT) && ship_touches(bx, by, 10)) game.player_off_x += PUSH_STEP;
    if (held(KEY_RIGHT) && ship_touches(bx, by, 10)) game.player_off_x -= PUSH_STEP;
    if (held(KEY_UP) && ship_touches(bx, by, -5)) set_scroll_y(game.scroll_y + PUSH_STEP);
    if (held(KEY_DOWN) && ship_touches(bx, by, 40)) set_scroll_y(game.scroll_y - PUSH_STEP);

    for (PlayerShot &shot : game.player_shots)
        if (shot.state == SHOT_FLYING && inside_block(shot, bx, by)) shot.state = SHOT_IDLE;

    draw_sprite_region(SPR_BLOCK, bx, row * CELL_SIZE - game.scroll_y);
}
