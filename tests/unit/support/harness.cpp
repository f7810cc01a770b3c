#include "support/harness.h"

#include <cstdlib>

#include "play/start.h"

std::vector<SoundCall> sounds;

void start_test_game(int mode) {
    sounds.clear();
    hold_keys({});
    pin_clock_seconds(0);
    set_sound_hook([](const SoundCall &call) { sounds.push_back(call); });
    start_headless(mode);
    ASSERT_NE(game.music_sample, nullptr) << "the game did not start: the assets are loaded last";
}

void start_empty_play() {
    start_test_game(MODE_TITLE);
    run_frames(1, {KEY_S});
    std::memset(game.grid, 0, sizeof game.grid);
    game.grid[25][15] = CELL_PLAYER;
    sounds.clear();
}

void start_in_mode(int mode) { mode == MODE_PLAY ? start_empty_play() : start_test_game(mode); }

void stop_test_game() {
    stop_game();
    std::memset(static_cast<void *>(&game), 0, sizeof game);
}

void hold_keys(std::initializer_list<int> keys) {
    set_held_keys(keys);
    poll_held_keys();
}

bool run_test_frame() { return run_frame(HEADLESS_PLATFORM); }

void run_frames(int n, std::initializer_list<int> keys) {
    set_held_keys(keys);
    for (int i = 0; i < n; ++i) run_test_frame();
}

GameState &copy_of_game(GameState &into) {
    std::memcpy(static_cast<void *>(&into), &game, sizeof game);
    return into;
}
bool game_equals(const GameState &other) { return std::memcmp(&other, &game, sizeof game) == 0; }
void set_game(const GameState &from) { std::memcpy(static_cast<void *>(&game), &from, sizeof game); }

ScratchDir::ScratchDir() {
    char name[] = "/tmp/upshot-test-XXXXXX";
    path = mkdtemp(name);
}
ScratchDir::~ScratchDir() { fs::remove_all(path); }

std::string read_file(const std::string &path) {
    if (!fs::is_regular_file(path)) return "";
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
