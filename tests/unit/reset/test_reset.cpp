#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "level/level.h"
#include "reset/reset.h"
#include "core/clock.h"
#include "core/random.h"
#include "support.h"
#include "world/world.h"

namespace {

// Built-in level n as load_level leaves it in an otherwise empty grid.
std::vector<int32_t> built_in(int n) {
    std::memset(game.grid, 0, sizeof game.grid);
    load_level(n);
    return {&game.grid[0][0], &game.grid[0][0] + GRID_ROWS * GRID_COLS};
}

// Every reset re-seeds from the clock second, even twice in one second, then draws
// each walker's heading and interval, the right turrets' intervals, the left
// turrets': 304 in all. Only a reset on the title starts a new game.
TEST(WorldReset, ReseedsRewritesEveryTableAndOnlyOnTheTitleStartsANewGame) {
    start_test_game(MODE_TITLE);
    const auto level2 = built_in(2);
    const struct { int64_t second; int mode; } runs[] = {
        {1234567, MODE_NONE}, {1234567, MODE_PLAY}, {1234568, MODE_TITLE}};
    for (const auto &[second, mode] : runs) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        const auto level4 = built_in(4);
        game.mode = mode;
        game.level_number = 4;
        game.score.digit[3] = 6;
        pin_clock_seconds(second);
        reset_world();
        std::mt19937 g(static_cast<std::mt19937::result_type>(second));
        auto r = [&](int n) { return static_cast<int>(std::floor(g() / 4294967296.0 * n)); };
        for (const Walker &w : game.walkers)
            EXPECT_EQ((std::pair{w.direction, w.fire_interval}), (std::pair{r(3) + 1, r(90) + 30}));
        for (Turret *t : {game.right_turrets, game.left_turrets})
            for (int l = 0; l < TURRET_SLOTS; ++l) EXPECT_EQ(t[l].fire_interval, std::max(50, r(300) + 1)) << l;
        EXPECT_EQ(next_random(), g() / 4294967296.0) << "no draw beyond the 304th";
        const bool title = mode == MODE_TITLE;
        EXPECT_EQ(game.level_number, title ? 2 : 4);
        EXPECT_EQ(game.score.digit[3], title ? 0 : 6);
        EXPECT_EQ(std::memcmp(game.grid, (title ? level2 : level4).data(), sizeof game.grid), 0);
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
    EXPECT_TRUE(w.alive == ALIVE && w.dying == OFF && w.wreck_active == OFF && w.wreck_frame == 1 && w.next_slot == 1);
    EXPECT_TRUE(t.alive == ALIVE && t.exploding == OFF && t.explosion_frame == 1 && t.next_slot == 1);
    stop_test_game();
}

// In play (never in the editor) the level ends with the view at row 10 or above,
// where a push can carry it; the old level is still drawn, then 5 wraps to 2.
TEST(LevelProgress, TheTopOfALevelBringsTheNextFromItsBottom) {
    const struct { int level, top_row, next, mode = MODE_PLAY; } cases[] = {
        {2, 10, 3}, {5, 10, 2}, {4, -500, 5}, {3, 11, 3}, {3, 10, 3, MODE_EDITOR}};
    for (const auto &c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level) + " at row " + std::to_string(c.top_row));
        const auto next = built_in(c.next);
        if (c.mode == MODE_PLAY) start_empty_play(); else start_test_game(c.mode);
        game.level_number = c.level;
        game.score.digit[2] = 4;
        game.ship_frame = 1;
        set_scroll_y(c.top_row * 10);
        const bool in_grid = c.top_row + 12 >= 0;  // a block of the old level at (50, 120) on the screen
        if (in_grid) game.grid[c.top_row + 12][5] = CELL_BLOCK;
        run_frames(1);
        EXPECT_EQ(in_grid, shows_sprite(SPR_BLOCK, 50, 120));
        EXPECT_EQ(game.level_number, c.next);
        EXPECT_EQ(game.score.digit[2], 4);
        EXPECT_EQ(game.mode, c.mode);
        const bool ended = c.next != c.level;
        EXPECT_EQ(game.scroll_y, ended ? 2560 : c.top_row * 10);
        const bool fresh = game.ship_frame == SHIP_NO_FRAME && !std::memcmp(game.grid, next.data(), sizeof game.grid);
        EXPECT_TRUE(!ended || fresh) << "a reset and the next level loaded";
        stop_test_game();
    }
}

}  // namespace
