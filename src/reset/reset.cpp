#include "reset/reset.h"

#include "level/level.h"
#include "core/game_state.h"
#include "core/random.h"

namespace {
constexpr int32_t WALKER_INTERVAL_MIN = 30;
constexpr int32_t WALKER_INTERVAL_MAX = 119;
constexpr int32_t TURRET_INTERVAL_MAX = 300;   // drawn from 1..300,
constexpr int32_t TURRET_INTERVAL_FLOOR = 50;  // then raised to at least 50

void idle_shot(Shot &shot) { shot = {SHOT_IDLE, 0, 0}; }

void reset_turrets(Turret (&turrets)[TURRET_SLOTS], Shot (&shots)[SHOT_SLOTS][TURRET_SLOTS]) {
    for (int32_t t = 0; t < TURRET_SLOTS; ++t) {
        Turret &turret = turrets[t];
        turret.x = turret.y = 0;
        turret.next_slot = ENEMY_FIRST_SLOT;
        turret.fire_count = 0;
        turret.fire_interval = random_int(1, TURRET_INTERVAL_MAX);
        if (turret.fire_interval < TURRET_INTERVAL_FLOOR) turret.fire_interval = TURRET_INTERVAL_FLOOR;
        turret.explosion_x = turret.explosion_y = 0;
        turret.explosion_frame = 1;
        turret.exploding = OFF;
        turret.explosion_tick = 0;
        turret.alive = ALIVE;
        for (int32_t s = 0; s < SHOT_SLOTS; ++s) idle_shot(shots[s][t]);
    }
}
}  // namespace

// The random draws come in a fixed order after the re-seed: each walker's heading
// and interval, then the right turrets' intervals, then the left turrets': 304 draws.
void reset_world() {
    reseed_random();
    game.next_shot = PLAYER_FIRST_SLOT;
    game.fire_timer = 0;
    game.move_timer = 0;
    game.ship_frame = SHIP_NO_FRAME;
    game.player_off_x = 0;
    game.player_off_y = 0;
    game.last_level = LAST_GAME_LEVEL;
    game.next_right_turret_code = EDITOR_FIRST_RIGHT_TURRET_CODE;
    game.next_left_turret_code = EDITOR_FIRST_LEFT_TURRET_CODE;
    game.next_walker_code = EDITOR_FIRST_WALKER_CODE;
    for (Shot &shot : game.player_shots) idle_shot(shot);

    for (int32_t k = 0; k < WALKER_SLOTS; ++k) {
        Walker &w = game.walkers[k];
        w.off_x = w.off_y = w.x = w.y = 0;
        w.direction = random_int(DIR_LEFT, DIR_DOWN);
        w.next_slot = ENEMY_FIRST_SLOT;
        w.fire_count = 0;
        w.fire_interval = random_int(WALKER_INTERVAL_MIN, WALKER_INTERVAL_MAX);
        w.death_x = w.death_y = 0;
        w.dying = OFF;
        w.death_tick = 0;
        w.alive = ALIVE;
        w.wreck_frame = 1;
        w.wreck_active = OFF;
        w.wreck_x = w.wreck_y = 0;
        for (int32_t s = 0; s < SHOT_SLOTS; ++s) idle_shot(game.walker_shots[s][k]);
    }

    reset_turrets(game.right_turrets, game.right_turret_shots);
    reset_turrets(game.left_turrets, game.left_turret_shots);

    if (game.mode != MODE_TITLE) return;
    game.level_number = FIRST_GAME_LEVEL;
    for (int32_t &d : game.score.digit) d = 0;
    load_level(FIRST_GAME_LEVEL);
}

void enter_level_after(int32_t before) {
    reset_world();
    set_scroll_y(LEVEL_START_SCROLL_Y);
    game.level_number = before + 1 > game.last_level ? FIRST_GAME_LEVEL : before + 1;
    load_level(game.level_number);
}
