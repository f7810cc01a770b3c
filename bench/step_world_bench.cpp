// How long one world walk and one whole frame take, headless, on the shipped
// levels' start views and busiest views, with every enemy shot in flight.
// Run from the repository root (it loads data/).
#include <benchmark/benchmark.h>

#include <cstring>
#include <cerrno>

#include "level/level.h"
#include "reset/reset.h"
#include "core/clock.h"
#include "core/game_state.h"
#include "play/play.h"
#include "play/start.h"
#include "core/sound.h"
#include "world/world.h"

namespace {

BITMAP *memory_screen;

void ignore_sound(const SoundCall &) {}
void no_wait() {}
void present() { blit(game.back_buffer, memory_screen, 0, 0, 0, 0, VIEW_W, VIEW_H); }
void no_keys() { std::memset(const_cast<char *>(key), 0, KEY_MAX); }
const FramePlatform HEADLESS = {no_wait, present, no_keys};

void start(int mode) {
    static bool up = false;
    if (!up) {
        set_sound_hook(ignore_sound);
        pin_clock_seconds(0);
        if (start_headless(MODE_TITLE) != START_OK) std::exit(2);
        memory_screen = create_bitmap(VIEW_W, VIEW_H);
        up = true;
    }
    reset_world();
    game.mode = mode;
}

// The top row whose 33 visible rows hold the most objects.
int busiest_top_row() {
    int best = LEVEL_START_SCROLL_Y / CELL_SIZE, best_count = -1;
    for (int top = LEVEL_END_ROW + 1; top <= LEVEL_START_SCROLL_Y / CELL_SIZE; ++top) {
        int count = 0;
        for (int r = top; r < top + VIEW_ROWS; ++r)
            for (int c = 0; c < GRID_COLS; ++c)
                if (game.grid[r][c] >= CELL_BLOCK && game.grid[r][c] <= CELL_LEFT_TURRET_LAST) ++count;
        if (count > best_count) best = top, best_count = count;
    }
    return best;
}

// Every enemy shot in flight, spread over the screen: each enemy's shots stand in a
// column from top to bottom, so the blocks find many of them near.
void all_shots_flying() {
    for (int s = 1; s < SHOT_SLOTS - 1; ++s) {
        for (int k = 0; k < WALKER_SLOTS; ++k) game.walker_shots[s][k] = {SHOT_FLYING, (k * 37) % 320, (s * 15) % 320};
        for (int t = 0; t < TURRET_SLOTS; ++t) {
            game.right_turret_shots[s][t] = {SHOT_FLYING, (t * 41) % 320, (s * 13) % 320};
            game.left_turret_shots[s][t] = {SHOT_FLYING, (t * 29) % 320, (s * 17) % 320};
        }
    }
}

// Sets up level n at its start view (busiest = false) or its busiest view.
void set_view(int level, bool busiest) {
    start(MODE_PLAY);
    load_level(level);
    int top = busiest ? busiest_top_row() : LEVEL_START_SCROLL_Y / CELL_SIZE;
    set_scroll_y(top * CELL_SIZE);
    all_shots_flying();
}

// The state drifts as enemies move and fire; put it back now and then, untimed.
template <typename Step>
void run(benchmark::State &state, Step step) {
    static GameState snapshot;
    std::memcpy(static_cast<void *>(&snapshot), &game, sizeof game);
    int n = 0;
    for (auto _ : state) {
        step();
        if (++n == 600) {
            state.PauseTiming();
            std::memcpy(static_cast<void *>(&game), &snapshot, sizeof game);
            n = 0;
            state.ResumeTiming();
        }
    }
}

void BM_step_world(benchmark::State &state) {
    set_view(static_cast<int>(state.range(0)), state.range(1) != 0);
    run(state, [] { step_world(); });
}

void BM_whole_frame(benchmark::State &state) {
    set_view(static_cast<int>(state.range(0)), state.range(1) != 0);
    run(state, [] {
        run_frame(HEADLESS);
        game.mode = MODE_PLAY;  // an enemy shot may hit the ship; keep measuring play
    });
}

void BM_title_frame(benchmark::State &state) {
    start(MODE_TITLE);
    run(state, [] { run_frame(HEADLESS); });
}

}  // namespace

// Arguments: level, busiest view (1) or start view (0).
BENCHMARK(BM_step_world)->ArgsProduct({{2, 3, 4, 5}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_whole_frame)->ArgsProduct({{2, 3, 4, 5}, {1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_title_frame)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
