#include <allegro.h>

#include "assets/atlas.h"
#include "core/game_state.h"
#include "core/geometry.h"
#include "core/sound.h"
#include "world/world.h"

namespace {

// The two kinds of turret are one body; these are all their differences.
struct TurretKind {
    Turret (&turrets)[TURRET_SLOTS];
    Shot (&shots)[SHOT_SLOTS][TURRET_SLOTS];
    int32_t shot_dx;          // sideways step of a flying shot
    int32_t muzzle_x;         // idle shot x from the cell's left edge
    bool drift_before_hit;    // right-firing shots drift with the keys before the ship test
    SpriteName sprite;
};

const TurretKind RIGHT_KIND = {game.right_turrets, game.right_turret_shots, TURRET_SHOT_DX, TURRET_SIZE, true,
                               SPR_RIGHT_TURRET};
const TurretKind LEFT_KIND = {game.left_turrets, game.left_turret_shots, -TURRET_SHOT_DX, 0, false, SPR_LEFT_TURRET};

void hit_ship_if_touched(const Shot &shot) {
    if (game.mode == MODE_PLAY && point_in_box(shot.x, shot.y, game.player_x, game.player_y, SHIP_HIT_W, SHIP_HIT_H))
        game.mode = MODE_TITLE;
}

void step_turret(const TurretKind &kind, int32_t n, int32_t col, int32_t row) {
    Turret &t = kind.turrets[n];
    const int32_t cx = col * CELL_SIZE, cy = row * CELL_SIZE;
    t.x = cx;
    t.y = cy - game.scroll_y;

    if (t.exploding == ON) {
        advance_animation(t.explosion_tick, t.explosion_frame, t.exploding, EXPLOSION_FRAMES);
        t.explosion_y += key_drift();
        draw_explosion_frame(t.explosion_frame, t.explosion_x, t.explosion_y);
    }

    if (t.alive != ALIVE) return;

    // The ship cannot steer or scroll into a live turret.
    if (point_in_box(game.player_x, game.player_y, t.x, t.y, TURRET_CONTACT, TURRET_CONTACT)) {
        if (held(KEY_LEFT)) game.player_off_x += PUSH_STEP;
        if (held(KEY_RIGHT)) game.player_off_x -= PUSH_STEP;
        if (held(KEY_UP)) set_scroll_y(game.scroll_y + PUSH_STEP);
        if (held(KEY_DOWN)) set_scroll_y(game.scroll_y - PUSH_STEP);
    }

    // Only flying shots hurt a turret; each one inside the box counts.
    for (const Shot &shot : game.player_shots) {
        if (shot.state != SHOT_FLYING || !point_in_box(shot.x, shot.y, t.x, t.y, TURRET_HIT_W, TURRET_HIT_H)) continue;
        t.explosion_x = t.x;
        t.explosion_y = t.y;
        t.exploding = ON;
        t.explosion_frame = 1;
        t.explosion_tick = 0;
        if (game.scoring_flag == SCORE_ON) game.score.digit[1] += TURRET_POINTS;
        t.alive = DESTROYED;
        play_sound(game.hit_sample, SOUND_VOLUME, SOUND_PAN_LEFT, SOUND_FREQ, 0);
    }

    if (++t.fire_count > t.fire_interval) {
        kind.shots[t.next_slot][n].state = SHOT_FLYING;
        if (++t.next_slot > ENEMY_LAST_SLOT) t.next_slot = ENEMY_FIRST_SLOT;
        t.fire_count = 0;
    }

    for (int32_t s = 0; s < SHOT_SLOTS; ++s) {
        Shot &shot = kind.shots[s][n];
        if (shot.state == SHOT_FLYING) {
            shot.y += TURRET_SHOT_DY;
            shot.x += kind.shot_dx;
            if (shot.y > TURRET_SHOT_END || shot.x > TURRET_SHOT_END) shot.state = SHOT_IDLE;
            if (kind.drift_before_hit) {
                shot.y += key_drift();
                hit_ship_if_touched(shot);
            } else {
                hit_ship_if_touched(shot);
                shot.y += key_drift();
            }
            draw_sprite_region(SPR_TURRET_SHOT, shot.x, shot.y);
        } else {
            shot.x = cx + kind.muzzle_x;
            shot.y = cy - game.scroll_y + TURRET_SHOT_MUZZLE_Y;
        }
    }
    draw_sprite_region(kind.sprite, cx, cy - game.scroll_y);
}

}  // namespace

void step_right_turret(int32_t l, int32_t col, int32_t row) { step_turret(RIGHT_KIND, l, col, row); }
void step_left_turret(int32_t m, int32_t col, int32_t row) { step_turret(LEFT_KIND, m, col, row); }
