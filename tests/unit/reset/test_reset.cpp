#include "core/random.h"
#include "reset/reset.h"
#include "support/harness.h"

// The headings and intervals a reset drew, walkers then right and left turrets.
static std::vector<int> draws() {
    std::vector<int> v;
    for (const Walker &w : game.walkers) v.insert(v.end(), {w.direction, w.fire_interval});
    for (Turret *t : {game.right_turrets, game.left_turrets})
        for (int l = 0; l < TURRET_SLOTS; ++l) v.push_back(t[l].fire_interval);
    return v;
}

// Every reset re-seeds from the clock second, even twice in one second, and then
// draws 304 numbers: each walker's heading and interval, the right turrets'
// intervals, the left turrets'. Only a reset on the title starts a new game.
TEST(WorldReset, ReseedsRewritesEveryTableAndOnlyOnTheTitleStartsANewGame) {
    const Running title(MODE_TITLE);
    const struct { int64_t second; int mode; } runs[] = {{1234567, MODE_NONE}, {1234567, MODE_PLAY}, {1234568, MODE_TITLE}};
    std::vector<std::vector<int>> seen;
    for (const auto &[second, mode] : runs) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        load_level(4);
        game.mode = mode, game.level_number = 4, game.score.digit[3] = 6;
        pin_clock_seconds(second);
        reseed_random();
        for (int n = 0; n < 304; ++n) next_random();
        const double after = next_random();
        reset_world();
        EXPECT_EQ(next_random(), after) << "304 draws, no more";
        seen.push_back(draws());
        const bool title = mode == MODE_TITLE;
        EXPECT_EQ((std::pair{game.level_number, game.score.digit[3]}), (title ? std::pair{2, 0} : std::pair{4, 6}));
        EXPECT_TRUE(grid_holds_level(title ? 2 : 4));
    }
    EXPECT_EQ(seen[0], seen[1]);
    std::set<int> headings;
    for (const Walker &w : game.walkers) headings.insert(w.direction);
    EXPECT_EQ(headings, (std::set{DIR_LEFT, DIR_RIGHT, DIR_DOWN})) << "every heading drawn";
    EXPECT_NE(seen[1], seen[2]);
    // The order of the draws, pinned by a few of them at second 1234568 (d[202], drawn below 50, raised).
    const std::vector<int> &d = seen[2];
    EXPECT_EQ((std::vector{d[0], d[1], d[201], d[202], d[253], d[303]}), (std::vector{1, 67, 49, 50, 193, 127}));
    // A reset over garbage ends as the clean one: every field of every slot is
    // written, except the walkers' death_frame, which the next kill sets. (What
    // it writes there: tests/replay/cases/paths.expected.)
    static GameState clean;
    copy_of_game(clean);
    const size_t span = offsetof(GameState, cursor_off_x) - offsetof(GameState, player_off_x);
    std::memset(static_cast<void *>(&game.player_off_x), 7, span);
    game.player_x = clean.player_x, game.player_y = clean.player_y;  // the walk sets these, not the reset
    reset_world();
    for (Walker &w : game.walkers) EXPECT_EQ(std::exchange(w.death_frame, 0), 0x07070707);
    EXPECT_EQ(std::memcmp(&clean.player_off_x, &game.player_off_x, span), 0);
}
