#include "assets/atlas.h"
#include "core/game_state.h"
#include "core/geometry.h"
#include "core/random.h"
#include "core/sound.h"
#include "world/world.h"

namespace {
void kill_walker(Walker &w) {
    w.death_x = w.x;
    w.death_y = w.y;
    w.dying = ON;
    w.wreck_active = ON;
    w.wreck_x = w.death_x;
    w.wreck_y = w.death_y;
    w.death_frame = 1;
    w.death_tick = 0;
    if (game.scoring_flag == SCORE_ON) game.score.digit[1] += WALKER_POINTS;
    w.alive = DESTROYED;
    play_sound(game.hit_sample, SOUND_VOLUME, SOUND_PAN_LEFT, SOUND_FREQ, 0);
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
        if (w.wreck_x > WRECK_END_X) w.wreck_active = OFF;
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
        if (point_in_box(shot.x, shot.y, w.x, w.y, WALKER_HIT_W, WALKER_HIT_H)) kill_walker(w);

    if (w.direction == DIR_LEFT) w.off_x -= 1;
    if (w.direction == DIR_RIGHT) w.off_x += 1;
    if (w.direction == DIR_DOWN && w.y < WALKER_FLOOR_Y) w.off_y += 1;

    if (w.x > WALKER_MARGIN_RIGHT) {
        w.off_x -= WALKER_MARGIN_PUSH;
        w.direction = random_int(1, 3);
        if (w.direction == DIR_RIGHT) w.direction = DIR_DOWN;
    } else if (w.x < WALKER_MARGIN_LEFT) {
        w.off_x += WALKER_MARGIN_PUSH;
        w.direction = random_int(1, 3);
        if (w.direction == DIR_LEFT) w.direction = DIR_DOWN;
    }

    if (++w.fire_count > w.fire_interval) {
        game.walker_shots[w.next_slot][k].state = SHOT_FLYING;
        if (++w.next_slot > ENEMY_LAST_SLOT) w.next_slot = ENEMY_FIRST_SLOT;
        w.fire_count = 0;
    }

    const int32_t body_x = cx + w.off_x, body_y = cy + w.off_y - game.scroll_y;
    for (int32_t s = 0; s < SHOT_SLOTS; ++s) {
        Shot &shot = game.walker_shots[s][k];
        if (shot.state == SHOT_FLYING) {
            shot.y += WALKER_SHOT_SPEED;
            if (shot.y > WALKER_SHOT_BOTTOM) shot.state = SHOT_IDLE;
            if (game.mode == MODE_PLAY &&
                point_in_box(shot.x, shot.y, game.player_x, game.player_y, SHIP_HIT_W, SHIP_HIT_H))
                game.mode = MODE_TITLE;
            shot.y += key_drift();
            draw_sprite_region(SPR_SHOT, shot.x, shot.y);
        } else {
            shot.x = body_x + WALKER_SHOT_DX;
            shot.y = body_y + WALKER_SHOT_DY;
        }
    }
    draw_walker(w.direction, body_x, body_y);
}
