#include "assets/atlas.h"
#include "core/game_state.h"
#include "core/geometry.h"
#include "core/random.h"
#include "world/world.h"

namespace {
constexpr int32_t WALKER_SPEED = 1;           // pixels per update, left, right or down
constexpr int32_t WALKER_MARGIN_PUSH = 10;    // a bounce moves the walker this far inwards
constexpr int32_t WALKER_POINTS = 5;
constexpr int32_t WRECK_SPEED = 5;

void kill_walker(Walker &w) {
    w.death_x = w.x;
    w.death_y = w.y;
    w.dying = ON;
    w.wreck_active = ON;
    w.wreck_x = w.death_x;
    w.wreck_y = w.death_y;
    w.death_frame = 1;
    w.death_tick = 0;
    w.alive = DESTROYED;
    score_kill(WALKER_POINTS);
}

// Off a side margin: inwards, and a random heading in which the one back into
// the margin becomes down, so away with one chance in three, down with two.
void bounce(Walker &w, int32_t inwards, int32_t into_margin) {
    w.off_x += inwards;
    w.direction = random_int(DIR_LEFT, DIR_DOWN);
    if (w.direction == into_margin) w.direction = DIR_DOWN;
}
}  // namespace

// One update of walker k at its anchor cell: wreck, death animation, then, while
// alive, hits, the one-pixel walk, the margin bounce, firing, shots, and itself.
void step_walker(int32_t k, int32_t col, int32_t row) {
    Walker &w = game.walkers[k];
    const int32_t cx = col * CELL_SIZE, cy = row * CELL_SIZE;
    w.x = cx + w.off_x;
    w.y = cy + w.off_y - game.scroll_y;

    if (w.wreck_active == ON) {
        w.wreck_x += WRECK_SPEED;
        if (w.wreck_x > VIEW_W) w.wreck_active = OFF;
        if (++w.wreck_frame > WRECK_FRAMES) w.wreck_frame = 1;
        draw_wreck_frame(w.wreck_frame, w.wreck_x, w.wreck_y);
    }

    if (w.dying == ON) {
        advance_animation(w.death_tick, w.death_frame, w.dying, DEATH_FRAMES);
        w.death_y += key_drift();
        draw_walker_death_frame(w.death_frame, w.death_x, w.death_y);
    }

    if (w.alive != ALIVE) return;

    // Every player shot counts, idle ones at the ship's nose too, once per slot.
    for (const Shot &shot : game.player_shots)
        if (point_in_box(shot.x, shot.y, w.x, w.y, BODY_BOX_W, BODY_BOX_H)) kill_walker(w);

    if (w.direction == DIR_LEFT) w.off_x -= WALKER_SPEED;
    if (w.direction == DIR_RIGHT) w.off_x += WALKER_SPEED;
    if (w.direction == DIR_DOWN && w.y < VIEW_H) w.off_y += WALKER_SPEED;  // down to the window's bottom edge

    // Both margins test the position stored above, before this update's step.
    if (w.x > MARGIN_RIGHT)
        bounce(w, -WALKER_MARGIN_PUSH, DIR_RIGHT);
    else if (w.x < MARGIN_LEFT)
        bounce(w, WALKER_MARGIN_PUSH, DIR_LEFT);

    if (auto slot = slot_to_fire(w.fire_count, w.fire_interval, w.next_slot))
        game.walker_shots[*slot][k].state = SHOT_FLYING;

    const int32_t body_x = cx + w.off_x, body_y = cy + w.off_y - game.scroll_y;
    for (int32_t s = 0; s < SHOT_SLOTS; ++s) {
        Shot &shot = game.walker_shots[s][k];
        if (shot.state == SHOT_FLYING) {
            shot.y += WALKER_SHOT_SPEED;
            if (shot.y > VIEW_H) shot.state = SHOT_IDLE;
            hit_ship_if_touched(shot);
            shot.y += key_drift();
            draw_sprite_region(SPR_SHOT, shot.x, shot.y);
        } else {
            shot.x = body_x + WALKER_SHOT_DX;
            shot.y = body_y + WALKER_SHOT_DY;
        }
    }
    owner_shots_moved(game.walker_shots, k);
    draw_walker(w.direction, body_x, body_y);
}
