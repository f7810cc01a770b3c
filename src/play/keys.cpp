#include <allegro.h>
#include <cstring>

#include "level/level.h"
#include "reset/reset.h"
#include "world/world.h"
#include "core/game_state.h"
#include "play/play.h"
#include "core/sound.h"

namespace {

constexpr int32_t MOVE_TIMER_LIMIT = 3;      // Left/Right choose ship frame 1 when the timer passes this
constexpr int32_t FIRE_TIMER_LIMIT = 12;     // Space fires when the timer passes this: every 13th frame
constexpr int32_t EDITOR_STEP_LIMIT = 3;     // arrows move the cursor when the timer passes this
constexpr int32_t EDITOR_BRUSH_LIMIT = 10;   // Space changes the brush when the timer passes this
constexpr int32_t EDITOR_TOP_ROW_MIN = 10;   // F3 and F4 keep the view's top row in 10..256
constexpr int32_t EDITOR_TOP_ROW_MAX = 256;

// Play: Left and Right move the ship across and pick ship frame 1 when the
// shared timer passes 3; Up and Down scroll and pick frame 2 every frame.
ShipPlace ship_place() { return {game.player_off_x, game.scroll_y}; }

void steer(Arrow arrow) {
    if (++game.move_timer > MOVE_TIMER_LIMIT) {
        game.ship_frame = 1;
        game.move_timer = 0;
    }
    game.player_off_x = moved_by(arrow, ship_place()).x;
}

void scroll(Arrow arrow) {
    if (++game.move_timer > MOVE_TIMER_LIMIT) game.move_timer = 0;
    game.ship_frame = 2;
    set_scroll_y(moved_by(arrow, ship_place()).scroll_y);
}

void fire() {
    if (++game.fire_timer <= FIRE_TIMER_LIMIT) return;
    play_sound(game.shot_sample, SOUND_VOLUME, SOUND_PAN_LEFT, SOUND_FREQ, SOUND_ONCE);
    game.player_shots[game.next_shot].state = SHOT_FLYING;
    if (++game.next_shot > PLAYER_LAST_SLOT) game.next_shot = PLAYER_FIRST_SLOT;
    game.fire_timer = 0;
}

// Editor: arrows step the cursor a cell every fourth held frame, sharing one
// timer with Space, which steps the brush every eleventh.
void step_cursor_offset(int32_t &offset, int32_t delta) {
    if (++game.editor_key_timer > EDITOR_STEP_LIMIT) {
        offset += delta;
        game.editor_key_timer = 0;
    }
}

// F3 and F4 move the view once a frame; a step that would take the top row
// above 10 (F3) or below 256 (F4) is undone.
void editor_view_up() {
    set_scroll_y(game.scroll_y - SCROLL_STEP);
    if (game.top_row < EDITOR_TOP_ROW_MIN) set_scroll_y(game.scroll_y + SCROLL_STEP);
}

void editor_view_down() {
    set_scroll_y(game.scroll_y + SCROLL_STEP);
    if (game.top_row > EDITOR_TOP_ROW_MAX) set_scroll_y(game.scroll_y - SCROLL_STEP);
}

void next_brush() {
    if (++game.editor_key_timer > EDITOR_BRUSH_LIMIT) {
        if (++game.brush > BRUSH_LAST) game.brush = BRUSH_ERASE;
        game.editor_key_timer = 0;
    }
}

}  // namespace

// A new game enters the level after the last one: the first.
void start_play() {
    enter_level_after(LAST_GAME_LEVEL);
    game.mode = MODE_PLAY;
}

const int READ_KEYS[READ_KEY_COUNT] = {KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_DOWN, KEY_ENTER, KEY_F3,
                                       KEY_F4, KEY_SPACE, KEY_S, KEY_RSHIFT, KEY_ESC};

namespace {
std::vector<int> held_now;
// Headless, a failed write shows in the dump's export count and event.
void (*right_shift_save)() = [] { write_level_text(); };
}

void set_editor_save(void (*save)()) { right_shift_save = save; }

void set_held_keys(const std::vector<int> &keys) { held_now = keys; }

void poll_held_keys() {
    std::memset(const_cast<char *>(key), 0, KEY_MAX);
    for (int k : held_now) key[k] = 1;
}

// Every key is tested every frame in this fixed order, and a held key acts
// again in every frame, through its timer where it has one. No key before S
// changes the mode, so they test it once, as the frame left it; S, which
// starts a game, and right Shift test it as it stands when their turn comes.
void apply_keys() {
    const bool play = game.mode == MODE_PLAY, edit = game.mode == MODE_EDITOR;
    if (key[KEY_LEFT]) {
        if (play) steer(ARROW_LEFT);
        if (edit) step_cursor_offset(game.cursor_off_x, -CELL_SIZE);
    }
    if (key[KEY_RIGHT]) {
        if (play) steer(ARROW_RIGHT);
        if (edit) step_cursor_offset(game.cursor_off_x, CELL_SIZE);
    }
    if (key[KEY_UP]) {
        if (play) scroll(ARROW_UP);
        if (edit) step_cursor_offset(game.cursor_off_y, -CELL_SIZE);
    }
    if (key[KEY_DOWN]) {
        if (play) scroll(ARROW_DOWN);
        if (edit) step_cursor_offset(game.cursor_off_y, CELL_SIZE);
    }
    if (key[KEY_ENTER] && edit) game.place_request = ON;
    if (key[KEY_F3] && edit) editor_view_up();
    if (key[KEY_F4] && edit) editor_view_down();
    if (key[KEY_SPACE]) {
        if (play) fire();
        if (edit) next_brush();
    }
    if (key[KEY_S] && game.mode == MODE_TITLE) start_play();
    if (key[KEY_RSHIFT] && game.mode == MODE_EDITOR) right_shift_save();
}
