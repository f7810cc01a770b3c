#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/clock.h"
#include "probe/probe.h"
#include "support/harness.h"
#include "world/world.h"

namespace {

class ProbeTest : public ::testing::Test {
protected:
    void SetUp() override { start_test_game(MODE_TITLE); }
    void TearDown() override { stop_test_game(); }
};

// A snapshot holds the keys as last polled and the clock: restored, the same
// frames give the same state byte for byte, whatever happened in between.
TEST_F(ProbeTest, ARestoredSnapshotReplaysTheSameFrames) {
    run_frames(1, {KEY_S});
    pin_clock_seconds(4);
    run_frames(40, {KEY_UP, KEY_SPACE});
    auto saved = std::make_unique<Snapshot>();
    save_snapshot(*saved);
    run_frames(30, {KEY_LEFT, KEY_UP, KEY_SPACE});
    static GameState first;
    std::memcpy(static_cast<void *>(&first), &game, sizeof game);

    run_frames(25, {KEY_DOWN, KEY_RIGHT});
    pin_clock_seconds(9);
    hold_keys({KEY_F1});
    restore_snapshot(*saved);
    EXPECT_EQ(pinned_clock_seconds(), 4);
    EXPECT_TRUE(key[KEY_UP] && key[KEY_SPACE] && !key[KEY_F1]) << "the keys as polled at the save";
    run_frames(30, {KEY_LEFT, KEY_UP, KEY_SPACE});
    EXPECT_EQ(std::memcmp(&first, &game, sizeof game), 0);
}

// level N is the game's own level end: the same tables and grid as a game that
// reached the top of the level before, from the title screen or from play, and
// nothing in the editor.
TEST_F(ProbeTest, PlayLevelEntersLevelsAsTheTopOfTheOneBeforeDoes) {
    pin_clock_seconds(3);
    run_frames(1, {KEY_S});
    game.level_number = 4;
    set_scroll_y(LEVEL_END_ROW * CELL_SIZE);
    run_frames(1);
    static GameState reached;
    std::memcpy(static_cast<void *>(&reached), &game, sizeof game);

    stop_test_game();
    start_test_game(MODE_TITLE);
    pin_clock_seconds(3);
    ASSERT_TRUE(play_level(5));
    EXPECT_EQ(game.mode, MODE_PLAY);
    EXPECT_EQ(game.level_number, 5);
    EXPECT_EQ(game.scroll_y, LEVEL_START_SCROLL_Y);
    EXPECT_EQ(std::memcmp(reached.grid, game.grid, sizeof game.grid), 0);
    EXPECT_EQ(std::memcmp(reached.walkers, game.walkers, sizeof game.walkers), 0);
    EXPECT_EQ(std::memcmp(reached.right_turrets, game.right_turrets, sizeof game.right_turrets), 0);

    game.score.digit[2] = 7;
    ASSERT_TRUE(play_level(FIRST_GAME_LEVEL));  // from play, 5 wraps to 2 and the score stays
    EXPECT_EQ(game.level_number, FIRST_GAME_LEVEL);
    EXPECT_EQ(game.score.digit[2], 7);

    stop_test_game();
    start_test_game(MODE_EDITOR);
    static GameState editing;
    std::memcpy(static_cast<void *>(&editing), &game, sizeof game);
    EXPECT_FALSE(play_level(3));
    EXPECT_EQ(std::memcmp(&editing, &game, sizeof game), 0);
}

// The shot that ended play is found where the ship test saw it: walker and
// left-firing turret shots drift with Up after the test, right-firing ones
// before it. A shot sent off in a frame is found as fired in it.
TEST_F(ProbeTest, TheShotThatHitTheShipIsFoundWhereTheTestSawIt) {
    start_empty_play();
    run_frames(1, {KEY_UP});  // the ship is placed: player_x 150, player_y 250
    ASSERT_EQ(game.player_x, 150);
    // Each shot is tested at an edge of the ship's box (y 251..290) and then
    // drifts out of it, or has drifted into it: only the test's place is inside.
    struct Case {
        int code;
        ShotTable table;
        int32_t owner, y;
    } cases[] = {{CELL_WALKER_FIRST + 9, ShotTable::WALKER, 9, 285},               // tested at 290, stored 295
                 {CELL_RIGHT_TURRET_FIRST + 4, ShotTable::RIGHT_TURRET, 4, 246},  // +1, +5, tested at 252
                 {CELL_LEFT_TURRET_FIRST + 6, ShotTable::LEFT_TURRET, 6, 289}};    // tested at 290, stored 295
    for (const Case &c : cases) {
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
        std::memcpy(static_cast<void *>(&before), &game, sizeof game);
        const int32_t drift = key_drift();
        run_frames(1, {KEY_UP});
        ASSERT_EQ(game.mode, MODE_TITLE);
        const ShotRef hit = find_ship_hit(drift);
        EXPECT_EQ(hit.table, c.table);
        EXPECT_EQ(hit.slot, 2);
        EXPECT_EQ(hit.owner, c.owner);
        std::vector<ShotRef> fired;
        find_fired_shots(before, game, fired);
        EXPECT_TRUE(fired.empty()) << "shot 2 was flying already";

        // The same owner's gun due in this frame: slot 5 goes off and is found.
        restore_snapshot(*saved);
        game.grid[game.top_row + 2][25] = c.code;
        if (c.table == ShotTable::WALKER) {
            game.walkers[c.owner].fire_count = game.walkers[c.owner].fire_interval;
            game.walkers[c.owner].next_slot = 5;
        } else {
            Turret &t = c.table == ShotTable::RIGHT_TURRET ? game.right_turrets[c.owner] : game.left_turrets[c.owner];
            t.fire_count = t.fire_interval;
            t.next_slot = 5;
        }
        std::memcpy(static_cast<void *>(&before), &game, sizeof game);
        run_frames(1, {KEY_UP});
        fired.clear();
        find_fired_shots(before, game, fired);
        ASSERT_EQ(fired.size(), 1u);
        EXPECT_EQ(fired[0].table, c.table);
        EXPECT_EQ(fired[0].slot, 5);
        EXPECT_EQ(fired[0].owner, c.owner);
        restore_snapshot(*saved);
    }
    EXPECT_EQ(find_ship_hit(0).table, ShotTable::NONE) << "no shot near the ship";
}

}  // namespace
