#include "support.h"

#include <algorithm>
#include <cstring>

#include "core/clock.h"
#include "shell/shell.h"
#include "shell/startup.h"

std::vector<SoundCall> sounds;

namespace {
std::vector<int> held_keys;

void poll_held() {
    std::memset(const_cast<char *>(key), 0, KEY_MAX);
    for (int k : held_keys) key[k] = 1;
}
const FramePlatform HEADLESS = {[] {}, [] {}, poll_held};
}  // namespace

void start_test_game(int mode) {
    sounds.clear();
    hold_keys({});
    pin_clock_seconds(0);
    set_sound_hook([](const SoundCall &call) { sounds.push_back(call); });
    start_headless(mode);
}

void start_empty_play() {
    start_test_game(MODE_TITLE);
    run_frames(1, {KEY_S});
    std::memset(game.grid, 0, sizeof game.grid);
    game.grid[25][15] = CELL_PLAYER;
    sounds.clear();
}

void stop_test_game() {
    stop_game();
    std::memset(static_cast<void *>(&game), 0, sizeof game);
}

void hold_keys(std::initializer_list<int> keys) {
    held_keys.assign(keys.begin(), keys.end());
    poll_held();
}

bool run_test_frame() { return run_frame(HEADLESS); }

void run_frames(int n, std::initializer_list<int> keys) {
    held_keys.assign(keys.begin(), keys.end());
    for (int i = 0; i < n; ++i) run_test_frame();
}

bool any_drawn(int x, int y, int w, int h) {
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx)
            if ((getpixel(game.back_buffer, xx, yy) & 0xffffff) != 0) return true;
    return false;
}

bool shows_sprite(SpriteName name, int x, int y, int from_y) {
    BITMAP *frame = game.back_buffer;
    BITMAP *alone = create_bitmap(VIEW_W, VIEW_H);
    clear_bitmap(alone);
    game.back_buffer = alone;
    draw_sprite_region(name, x, y);
    game.back_buffer = frame;
    const SpriteRegion &r = ATLAS[name];
    bool same = true, visible = false;
    for (int yy = std::max(y, from_y); yy < std::min(y + r.h, VIEW_H); ++yy)
        for (int xx = std::max(x, 0); xx < std::min(x + r.w, VIEW_W); ++xx) {
            int want = getpixel(alone, xx, yy);
            visible = visible || (want & 0xffffff) != 0;
            same = same && getpixel(frame, xx, yy) == want;
        }
    destroy_bitmap(alone);
    return same && visible;
}
