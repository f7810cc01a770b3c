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
    const struct { int code; ShotTable table; int32_t owner, y; } cases[] = {
        {CELL_WALKER_FIRST + 9, ShotTable::WALKER, 9, 285},              // tested at 290, stored 295
        {CELL_RIGHT_TURRET_FIRST + 4, ShotTable::RIGHT_TURRET, 4, 246},  // +1, +5, tested at 252
        {CELL_LEFT_TURRET_FIRST + 6, ShotTable::LEFT_TURRET, 6, 289}};   // tested at 290, stored 295
    const auto ref_of = [](const ShotRef &r) { return std::tuple{r.table, r.slot, r.owner}; };
    const auto arm = [](auto &owner) { owner.fire_interval = owner.fire_count = 0, owner.next_slot = 5; };
    static GameState start;
    static FlyingShots before, after;
    copy_of_game(start);
    for (const auto &c : cases)
        for (bool firing : {false, true}) {  // shot 2 already flying near the ship, or the owner's gun due
            set_game(start);
            game.grid[game.top_row + 2][25] = c.code;  // the owner far above
            run_frames(1, {KEY_UP});
            if (!firing) const_cast<Shot &>(shot_at({c.table, 2, c.owner})) = {SHOT_FLYING, 160, c.y};
            else if (c.table == ShotTable::WALKER) arm(game.walkers[c.owner]);
            else arm(c.table == ShotTable::RIGHT_TURRET ? game.right_turrets[c.owner] : game.left_turrets[c.owner]);
            const int32_t drift = key_drift();
            note_flying_shots(before);
            run_frames(1, {KEY_UP});
            note_flying_shots(after);
            std::vector<ShotRef> fired;
            find_fired_shots(before, after, fired);
            if (firing) {
                ASSERT_EQ(fired.size(), 1u) << shot_table_name(c.table);
                EXPECT_EQ(ref_of(fired[0]), (std::tuple{c.table, 5, c.owner}));
            } else {
                EXPECT_TRUE(fired.empty()) << "shot 2 was flying already";
                EXPECT_EQ((std::pair{game.mode, ref_of(find_ship_hit(drift))}),
                          (std::pair{int32_t{MODE_TITLE}, std::tuple{c.table, 2, c.owner}}));
            }
        }
    EXPECT_EQ(find_ship_hit(0).table, ShotTable::NONE) << "no shot near the ship";
}
