#include <allegro.h>

#include "core/game_state.h"
#include "core/geometry.h"
#include "core/sound.h"
#include "world/world.h"

// The rules walkers and turrets share, in one copy each.

namespace {
constexpr int32_t ANIM_TICKS = 5;   // an animation steps once its tick passes this
constexpr int32_t TENS = 1;         // kills score on digit[1], the tens
}  // namespace

int32_t key_drift() { return key_drift_for(held(KEY_UP), held(KEY_DOWN)); }

void advance_animation(int32_t &tick, int32_t &frame, int32_t &active, int32_t last_frame) {
    if (++tick <= ANIM_TICKS) return;
    if (++frame > last_frame) active = OFF;
    tick = 0;
}

std::optional<int32_t> slot_to_fire(int32_t &fire_count, int32_t fire_interval, int32_t &next_slot) {
    if (++fire_count <= fire_interval) return std::nullopt;
    const int32_t slot = next_slot;
    if (++next_slot > ENEMY_LAST_SLOT) next_slot = ENEMY_FIRST_SLOT;
    fire_count = 0;
    return slot;
}

bool in_ship_hit_box(int32_t x, int32_t y) {
    return point_in_box(x, y, game.player_x, game.player_y, BODY_BOX_W, BODY_BOX_H);
}

void hit_ship_if_touched(const Shot &shot) {
    if (game.mode == MODE_PLAY && in_ship_hit_box(shot.x, shot.y)) game.mode = MODE_TITLE;
}

void score_kill(int32_t points) {
    if (game.scoring_flag == ON) game.score.digit[TENS] += points;
    play_sound(game.hit_sample, SOUND_VOLUME, SOUND_PAN_LEFT, SOUND_FREQ, SOUND_ONCE);
}
