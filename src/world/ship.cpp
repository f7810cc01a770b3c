#include <allegro.h>

#include "assets/atlas.h"
#include "core/game_state.h"
#include "world/world.h"

namespace {
constexpr int32_t SHIP_MARGIN_PUSH = 5;      // the margin fix, per frame
constexpr int32_t PLAYER_SHOT_SPEED = 5;
constexpr int32_t PLAYER_SHOT_TOP = 5;       // a shot above this y is done
constexpr int32_t PLAYER_SHOT_NOSE_X = 13;   // idle shots ride here, relative to the ship's corner
constexpr int32_t PLAYER_SHOT_NOSE_Y = -10;
constexpr int32_t PUSH_STEP = 10;            // pixels by which something solid pushes back
}  // namespace

// The ship sits at its screen-anchored cell plus its offsets; its shots rise in
// screen coordinates and, when idle, ride at its nose.
void step_ship(int32_t col, int32_t row) {
    const int32_t cx = col * CELL_SIZE, cy = row * CELL_SIZE;
    game.player_x = cx + game.player_off_x;
    game.player_y = cy + game.player_off_y - game.scroll_y;

    // Both margins test the position stored above; the fix shows in this frame's drawing only.
    if (game.player_x > MARGIN_RIGHT) game.player_off_x -= SHIP_MARGIN_PUSH;
    if (game.player_x < MARGIN_LEFT) game.player_off_x += SHIP_MARGIN_PUSH;

    const int32_t ship_x = cx + game.player_off_x;
    const int32_t ship_y = cy + game.player_off_y - game.scroll_y;
    for (Shot &shot : game.player_shots) {
        if (shot.state == SHOT_FLYING) {
            shot.y -= PLAYER_SHOT_SPEED;
            if (shot.y < PLAYER_SHOT_TOP) shot.state = SHOT_IDLE;
            draw_sprite_region(SPR_SHOT, shot.x, shot.y);
        } else {
            shot.x = ship_x + PLAYER_SHOT_NOSE_X;
            shot.y = ship_y + PLAYER_SHOT_NOSE_Y;
        }
    }
    draw_ship_frame(game.ship_frame, ship_x, ship_y);
}

void push_ship_back(BarredKeys barred) {
    if (barred.left && held(KEY_LEFT)) game.player_off_x += PUSH_STEP;
    if (barred.right && held(KEY_RIGHT)) game.player_off_x -= PUSH_STEP;
    if (barred.up && held(KEY_UP)) set_scroll_y(game.scroll_y + PUSH_STEP);
    if (barred.down && held(KEY_DOWN)) set_scroll_y(game.scroll_y - PUSH_STEP);
}
