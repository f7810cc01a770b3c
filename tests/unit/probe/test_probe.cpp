#include <memory>

#include "probe/probe.h"
#include "support/harness.h"

// The shot that ended play is found where the ship test saw it: walker and
// left-firing turret shots drift with Up after the test, right-firing ones
// before it. A shot sent off in a frame is found as fired in it.
TEST(ProbeTest, TheShotThatHitTheShipIsFoundWhereTheTestSawIt) {
    const Running play(MODE_PLAY);
    run_frames(1, {KEY_UP});  // the ship is placed: player_x 150, player_y 250
    ASSERT_EQ(game.player_x, 150);
    // Each shot is tested at an edge of the ship's box (y 251..290) and then
    // drifts out of it, or has drifted into it: only the test's place is inside.
    const struct { int code; ShotTable table; int32_t owner, y; } cases[] = {{CELL_WALKER_FIRST + 9, ShotTable::WALKER, 9, 285},               // tested at 290, stored 295
                 {CELL_RIGHT_TURRET_FIRST + 4, ShotTable::RIGHT_TURRET, 4, 246},  // +1, +5, tested at 252
                 {CELL_LEFT_TURRET_FIRST + 6, ShotTable::LEFT_TURRET, 6, 289}};    // tested at 290, stored 295
    const auto ref_of = [](const ShotRef &r) { return std::tuple{r.table, r.slot, r.owner}; };
    for (const auto &c : cases) {
        SCOPED_TRACE(shot_table_name(c.table));
        auto saved = std::make_unique<Snapshot>();
        save_snapshot(*saved);
        // The owner far above, its shot 2 set flying near the ship.
        game.grid[game.top_row + 2][25] = c.code;
        run_frames(1, {KEY_UP});
        const ShotRef ref{c.table, 2, c.owner};
        Shot &shot = const_cast<Shot &>(shot_at(ref));
        shot = {SHOT_FLYING, 160, c.y};
        static GameState before;
        copy_of_game(before);
        const int32_t drift = key_drift();
        run_frames(1, {KEY_UP});
        ASSERT_EQ(game.mode, MODE_TITLE);
        EXPECT_EQ(ref_of(find_ship_hit(drift)), (std::tuple{c.table, 2, c.owner}));
        std::vector<ShotRef> fired;
        find_fired_shots(before, game, fired);
        EXPECT_TRUE(fired.empty()) << "shot 2 was flying already";

        // The same owner's gun due in this frame: slot 5 goes off and is found.
        restore_snapshot(*saved);
        game.grid[game.top_row + 2][25] = c.code;
        if (c.table == ShotTable::WALKER) {
            game.walkers[c.owner].fire_interval = game.walkers[c.owner].fire_count = 0, game.walkers[c.owner].next_slot = 5;
        } else {
            Turret &t = c.table == ShotTable::RIGHT_TURRET ? game.right_turrets[c.owner] : game.left_turrets[c.owner];
            t.fire_interval = t.fire_count = 0, t.next_slot = 5;
        }
        copy_of_game(before);
        run_frames(1, {KEY_UP});
        fired.clear();
        find_fired_shots(before, game, fired);
        ASSERT_EQ(fired.size(), 1u);
        EXPECT_EQ(ref_of(fired[0]), (std::tuple{c.table, 5, c.owner}));
        restore_snapshot(*saved);
    }
    EXPECT_EQ(find_ship_hit(0).table, ShotTable::NONE) << "no shot near the ship";
}
