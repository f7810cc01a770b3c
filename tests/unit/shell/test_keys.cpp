#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "core/game_state.h"
#include "shell/shell.h"
#include "support/harness.h"
#include "support/pixels.h"

// The fire timer counts held frames and keeps its count over a release; shots
// leave the nose in slots 1 to 20 in turn, never slot 0.
TEST(PlayFire, EveryThirteenthHeldFrameFiresCountingAcrossAReleaseIntoSlotsOneToTwenty) {
    start_empty_play();
    const struct { int frames, key; size_t shots; } steps[] = {
        {12, KEY_SPACE, 0}, {1, KEY_SPACE, 1}, {5, KEY_SPACE, 1}, {30, 0 /* no key */, 1}, {7, KEY_SPACE, 1}};
    for (const auto &s : steps) {
        run_frames(s.frames, {s.key});
        EXPECT_EQ(sounds.size(), s.shots) << "after " << s.frames;
    }
    for (int shot = 2; shot <= 21; ++shot) {
        run_frames(shot == 2 ? 1 : 13, {KEY_SPACE});
        const int slot = (shot - 1) % 20 + 1;
        EXPECT_EQ((std::tuple{game.player_shots[slot].state, game.player_shots[slot].y, game.next_shot}),
                  (std::tuple{SHOT_FLYING, 240, slot % 20 + 1})) << "shot " << shot;
    }
    EXPECT_EQ(game.player_shots[0].state, SHOT_IDLE);
    ASSERT_EQ(sounds.size(), 21u);
    for (const SoundCall &c : sounds)
        EXPECT_EQ((std::tuple{c.sample, c.play, c.pan, c.loop}), (std::tuple{game.shot_sample, true, 20, 0}));
    stop_test_game();
}

// Left and Up both act every frame on one shared timer; Down stops at the bottom.
TEST(PlayMove, LeftAndUpShareTheTimerDownStopsAtTheBottom) {
    start_empty_play();
    for (int frame = 1; frame <= 6; ++frame) {
        run_frames(1, {KEY_LEFT, KEY_UP});
        EXPECT_EQ((std::tuple{game.move_timer, game.player_off_x, game.scroll_y, game.ship_frame}),
                  (std::tuple{frame % 2 == 1 ? 2 : 0, -4 * frame, 2560 - 10 * frame, 2})) << "frame " << frame;
    }
    for (int32_t want : {2510, 2520, 2530, 2540, 2550, 2560, 2560}) {
        run_frames(1, {KEY_DOWN});
        EXPECT_EQ((std::pair{game.scroll_y, game.top_row}), (std::pair{want, want / 10}));
    }
    stop_test_game();
}

// After S the ship is there but not drawn; Up and Down choose frame 2 at once,
// Left and Right frame 1 only when the shared timer passes 3.
TEST(PlayMove, NoShipIsDrawnAfterStartUntilAnArrowChoosesAFrame) {
    const struct { int key, held_frames, frame; } cases[] = {
        {KEY_UP, 1, 2}, {KEY_DOWN, 1, 2}, {KEY_LEFT, 4, 1}, {KEY_RIGHT, 4, 1}};
    for (const auto &c : cases) {
        start_empty_play();
        run_frames(1);
        run_frames(c.held_frames - 1, {c.key});
        EXPECT_FALSE(any_drawn(120, 250, 80, 40)) << "key " << c.key;
        run_frames(1, {c.key});
        run_frames(1);
        EXPECT_TRUE(shows_sprite(c.frame == 1 ? SPR_SHIP_1 : SPR_SHIP_2, 150 + game.player_off_x, 250)) << c.key;
        stop_test_game();
    }
}

// A key that means nothing in the mode changes nothing, down to the last field
// and sound: S held on into play starts no second game.
TEST(PlayKeys, KeysWithoutAMeaningInTheModeChangeNothing) {
    static GameState before, idle;
    const struct { int mode; std::vector<int> keys; } cases[] = {
        {MODE_PLAY, {KEY_ENTER, KEY_F3, KEY_F4, KEY_S, KEY_RSHIFT}},
        {MODE_TITLE, {KEY_LEFT, KEY_DOWN, KEY_SPACE, KEY_ENTER, KEY_F3, KEY_RSHIFT}}};
    for (const auto &c : cases)
        for (int key : c.keys) {
            start_in_mode(c.mode);
            std::memcpy(static_cast<void *>(&before), &game, sizeof game);
            run_frames(1);
            std::memcpy(static_cast<void *>(&idle), &game, sizeof game);
            const size_t idle_sounds = sounds.size();
            std::memcpy(static_cast<void *>(&game), &before, sizeof game);
            run_frames(1, {key});
            EXPECT_EQ(std::memcmp(&idle, &game, sizeof game), 0) << "mode " << c.mode << " key " << key;
            EXPECT_EQ(sounds.size(), 2 * idle_sounds);
            stop_test_game();
        }
}

// F3 and F4 move the view every frame within rows 10 to 256; the arrows and
// Space count on one shared timer.
TEST(EditorKeys, F3AndF4MoveTheViewEveryFrameWithinRowsTenTo256WhileArrowsAndSpaceShareOneTimer) {
    start_test_game(MODE_EDITOR);
    run_frames(5, {KEY_F3});
    EXPECT_EQ(game.scroll_y, 2510);
    run_frames(300, {KEY_F3});
    EXPECT_EQ((std::pair{game.top_row, game.scroll_y}), (std::pair{10, 100}));
    run_frames(300, {KEY_F4});
    EXPECT_EQ((std::pair{game.top_row, game.scroll_y}), (std::pair{256, 2560}));
    for (int frame = 1; frame <= 56; ++frame) {  // Space alone: a brush every eleventh frame, 4 then 0
        run_frames(1, {KEY_SPACE});
        EXPECT_EQ(game.brush, frame / 11 % 5) << frame;
    }
    game.editor_key_timer = game.brush = 0;
    run_frames(20, {KEY_RIGHT});  // an arrow alone: a step every fourth frame
    EXPECT_EQ(game.cursor_off_x, 50);
    game.cursor_off_x = game.editor_key_timer = 0;
    run_frames(20, {KEY_RIGHT, KEY_SPACE});  // two counts a frame: a step every second frame, no brush
    EXPECT_EQ((std::pair{game.cursor_off_x, game.brush}), (std::pair{90, BRUSH_ERASE}));
    stop_test_game();
}
