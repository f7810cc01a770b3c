#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <utility>

#include "core/clock.h"
#include "core/game_state.h"
#include "core/random.h"
#include "level/level.h"
#include "reset/reset.h"
#include "support/harness.h"
#include "support/level_texts.h"

// Every reset re-seeds from the clock second, even twice in one second, then draws
// each walker's heading and interval, the right turrets' intervals, the left
// turrets': 304 in all. Only a reset on the title starts a new game.
TEST(WorldReset, ReseedsRewritesEveryTableAndOnlyOnTheTitleStartsANewGame) {
    start_test_game(MODE_TITLE);
    const struct { int64_t second; int mode; } runs[] = {
        {1234567, MODE_NONE}, {1234567, MODE_PLAY}, {1234568, MODE_TITLE}};
    for (const auto &[second, mode] : runs) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        load_level(4);
        game.mode = mode;
        game.level_number = 4;
        game.score.digit[3] = 6;
        pin_clock_seconds(second);
        reset_world();
        std::mt19937 g(static_cast<std::mt19937::result_type>(second));
        auto r = [&](int n) { return static_cast<int>(std::floor(g() / 4294967296.0 * n)); };
        for (int k = 0; k < WALKER_SLOTS; ++k)
            EXPECT_EQ((std::pair{game.walkers[k].direction, game.walkers[k].fire_interval}),
                      (std::pair{r(3) + 1, r(90) + 30})) << "walker " << k;
        for (Turret *t : {game.right_turrets, game.left_turrets})
            for (int l = 0; l < TURRET_SLOTS; ++l) EXPECT_EQ(t[l].fire_interval, std::max(50, r(300) + 1)) << l;
        EXPECT_EQ(next_random(), g() / 4294967296.0) << "no draw beyond the 304th";
        const bool title = mode == MODE_TITLE;
        EXPECT_EQ((std::pair{game.level_number, game.score.digit[3]}), (title ? std::pair{2, 0} : std::pair{4, 6}));
        EXPECT_TRUE(grid_holds_level(title ? 2 : 4));
    }
    // A reset over garbage ends as the clean one: every field of every slot is
    // written, except the walkers' death_frame, which the next kill sets.
    static GameState clean;
    std::memcpy(static_cast<void *>(&clean), &game, sizeof game);
    const size_t span = offsetof(GameState, cursor_off_x) - offsetof(GameState, player_off_x);
    std::memset(static_cast<void *>(&game.player_off_x), 7, span);
    game.player_x = clean.player_x, game.player_y = clean.player_y;  // the walk sets these, not the reset
    reset_world();
    for (Walker &w : game.walkers) EXPECT_EQ(std::exchange(w.death_frame, 0), 0x07070707);
    EXPECT_EQ(std::memcmp(&clean.player_off_x, &game.player_off_x, span), 0);
    const Walker &w = clean.walkers[100];
    const Turret &t = clean.left_turrets[50];
    EXPECT_EQ((std::tuple{w.alive, w.dying, w.wreck_active, w.wreck_frame, w.next_slot}),
              (std::tuple{ALIVE, OFF, OFF, 1, 1}));
    EXPECT_EQ((std::tuple{t.alive, t.exploding, t.explosion_frame, t.next_slot}), (std::tuple{ALIVE, OFF, 1, 1}));
    stop_test_game();
}
