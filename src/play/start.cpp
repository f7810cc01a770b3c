#include "play/start.h"

#include <allegro.h>
#include <cerrno>
#include <cstring>

#include "assets/assets.h"
#include "core/game_state.h"
#include "level/level.h"
#include "reset/reset.h"

namespace {

// What every game starts from, whatever its mode: the view at the level's
// foot, the title's first picture, the cursor and brush at rest, the ship's
// first shot slot, frame and place, and no score.
void give_start_values() {
    game.music_state = OFF;
    set_scroll_y(LEVEL_START_SCROLL_Y);
    game.title_frame = 0;
    game.cursor_off_x = game.cursor_off_y = 0;
    game.brush = BRUSH_ERASE;
    game.place_request = OFF;
    game.cursor_col = game.cursor_row = 0;
    game.editor_key_timer = 0;
    game.next_shot = PLAYER_FIRST_SLOT;
    game.move_timer = 0;
    game.ship_frame = 1;
    game.player_off_x = game.player_off_y = 0;
    game.level_number = FIRST_GAME_LEVEL;
    game.scoring_flag = OFF;
}

// The editor opens its level; the title screen has level 1 behind it.
void load_first_level() {
    if (game.mode == MODE_EDITOR) load_editor_level();
    if (game.mode == MODE_TITLE) load_level(FIRST_GAME_LEVEL);
}

}  // namespace

StartStatus start_game(int mode) {
    game.back_buffer = create_bitmap(VIEW_W, VIEW_H);
    clear_bitmap(game.back_buffer);
    set_projection_viewport(0, 0, VIEW_W, VIEW_H);
    reset_world();
    give_start_values();
    game.mode = mode;
    if (!load_assets(mode)) {
        release_assets();
        return START_BAD_ASSET;
    }
    load_first_level();
    return START_OK;
}

bool start_headless_library() {
    static bool library_up = false;
    if (!library_up) {
        if (install_allegro(SYSTEM_NONE, &errno, nullptr) != 0) return false;
        set_color_depth(32);
        // set_gfx_mode brings the default palette, which the score line's
        // colour comes from; without it the text would be drawn black.
        set_palette(default_palette);
        library_up = true;
    }
    return true;
}

StartStatus start_headless(int mode) {
    start_headless_library();
    std::memset(static_cast<void *>(&game), 0, sizeof game);
    return start_game(mode);
}

void stop_game() {
    release_assets();
}
