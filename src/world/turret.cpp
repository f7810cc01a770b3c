#include "assets/atlas.h"
#include "core/game_state.h"
#include "core/geometry.h"
#include "world/world.h"

namespace {

constexpr int32_t TURRET_CONTACT = 33;    // the ship's corner strictly inside 33 x 33 is held back
constexpr int32_t TURRET_POINTS = 2;

// The two kinds of turret are one body; these are all their differences.
struct TurretKind {
    Turret (&turrets)[TURRET_SLOTS];
    Shot (&shots)[SHOT_SLOTS][TURRET_SLOTS];
    int32_t shot_dx;        // sideways step of a flying shot
    int32_t muzzle_x;       // idle shot x from the cell's left edge
    bool drift_before_hit;  // whether a flying shot drifts with the keys before the ship test
    SpriteName sprite;
};

const TurretKind RIGHT_KIND = {
    .turrets = game.right_turrets,
    .shots = game.right_turret_shots,
    .shot_dx = TURRET_SHOT_DX,
    .muzzle_x = TURRET_SIZE,  // the right edge
    .drift_before_hit = true,
    .sprite = SPR_RIGHT_TURRET,
};
const TurretKind LEFT_KIND = {
    .turrets = game.left_turrets,
    .shots = game.left_turret_shots,
    .shot_dx = -TURRET_SHOT_DX,
    .muzzle_x = 0,  // the left edge
    .drift_before_hit = false,
    .sprite = SPR_LEFT_TURRET,
};

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

    // A live turret bars every way at once.
    if (point_in_box(game.player_x, game.player_y, t.x, t.y, TURRET_CONTACT, TURRET_CONTACT))
        push_ship_back({.left = true, .right = true, .up = true, .down = true});

    // Only flying shots hurt a turret, inside a walker's box (taller than the
    // turret); each one inside counts.
    for (const Shot &shot : game.player_shots) {
        if (shot.state != SHOT_FLYING || !point_in_box(shot.x, shot.y, t.x, t.y, BODY_BOX_W, BODY_BOX_H)) continue;
        t.explosion_x = t.x;
        t.explosion_y = t.y;
        t.exploding = ON;
        t.explosion_frame = 1;
        t.explosion_tick = 0;
        t.alive = DESTROYED;
        score_kill(TURRET_POINTS);
    }

    if (auto slot = slot_to_fire(t.fire_count, t.fire_interval, t.next_slot)) kind.shots[*slot][n].state = SHOT_FLYING;

    for (int32_t s = 0; s < SHOT_SLOTS; ++s) {
        Shot &shot = kind.shots[s][n];
        if (shot.state == SHOT_FLYING) {
            shot.y += TURRET_SHOT_DY;
            shot.x += kind.shot_dx;
            if (shot.y > VIEW_H || shot.x > VIEW_W) shot.state = SHOT_IDLE;
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
    owner_shots_moved(kind.shots, n);
    draw_sprite_region(kind.sprite, cx, cy - game.scroll_y);
}

}  // namespace

bool turret_shots_drift_before_hit(bool right_firing) {
    return (right_firing ? RIGHT_KIND : LEFT_KIND).drift_before_hit;
}

void step_right_turret(int32_t l, int32_t col, int32_t row) { step_turret(RIGHT_KIND, l, col, row); }
void step_left_turret(int32_t m, int32_t col, int32_t row) { step_turret(LEFT_KIND, m, col, row); }
