#include <gtest/gtest.h>

#include <cstring>

#include "support.h"

namespace {

void expect_shot_sounds(size_t n) {
    ASSERT_EQ(sounds.size(), n);
    for (const SoundCall &c : sounds) {
        EXPECT_TRUE(c.play && c.sample == game.shot_sample);
        EXPECT_EQ(c.vol, 255); EXPECT_EQ(c.pan, 20); EXPECT_EQ(c.freq, 1000); EXPECT_EQ(c.loop, 0);
    }
}

// The fire timer counts held frames only and keeps its count over a release:
// five frames, a pause, and the eighth frame of the new press fires.
TEST(PlayFire, EveryThirteenthHeldFrameFiresCountingAcrossARelease) {
    start_empty_play();
    const struct { int frames, key; size_t shots; } steps[] = {
        {12, KEY_SPACE, 0}, {1, KEY_SPACE, 1}, {12, KEY_SPACE, 1}, {1, KEY_SPACE, 2},
        {5, KEY_SPACE, 2}, {30, 0 /* no key */, 2}, {7, KEY_SPACE, 2}, {1, KEY_SPACE, 3}};
    for (const auto &s : steps) {
        run_frames(s.frames, {s.key});
        expect_shot_sounds(s.shots);
    }
    stop_headless();
}

TEST(PlayFire, FiresSlotsOneToTwentyInTurnAndNeverSlotZero) {
    start_empty_play();
    for (int frame = 1; frame <= 21 * 13; ++frame) {
        run_frames(1, {KEY_SPACE});
        EXPECT_EQ(game.player_shots[0].state, SHOT_IDLE) << "frame " << frame;
        if (frame % 13 != 0) continue;
        const int slot = (frame / 13 - 1) % 20 + 1;
        EXPECT_EQ(game.player_shots[slot].state, SHOT_FLYING) << "shot " << frame / 13;
        EXPECT_EQ(game.player_shots[slot].y, 240) << "leaves from the nose";
        EXPECT_EQ(game.next_shot, slot % 20 + 1);
    }
    expect_shot_sounds(21);
    stop_headless();
}

TEST(PlayMove, LeftAndUpShareTheTimerAndBothActEveryFrame) {
    start_empty_play();
    for (int frame = 1; frame <= 6; ++frame) {
        run_frames(1, {KEY_LEFT, KEY_UP});
        EXPECT_EQ(game.move_timer, frame % 2 == 1 ? 2 : 0) << frame;
        EXPECT_EQ(game.player_off_x, -4 * frame);
        EXPECT_EQ(game.scroll_y, 2560 - 10 * frame);
        EXPECT_EQ(game.top_row, 256 - frame);
        EXPECT_EQ(game.ship_frame, 2);
    }
    stop_headless();
}

TEST(PlayMove, DownStopsAtTheBottomOfTheLevel) {
    start_empty_play();
    run_frames(2, {KEY_UP});
    for (int32_t want : {2550, 2560, 2560, 2560}) {
        run_frames(1, {KEY_DOWN});
        EXPECT_EQ(game.scroll_y, want);
        EXPECT_EQ(game.top_row, want / 10);
    }
    stop_headless();
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
        EXPECT_EQ(game.ship_frame, SHIP_NO_FRAME) << "key " << c.key;
        EXPECT_FALSE(any_drawn(120, 250, 80, 40)) << "key " << c.key;
        run_frames(1, {c.key});
        EXPECT_EQ(game.ship_frame, c.frame) << "key " << c.key;
        run_frames(1);
        EXPECT_TRUE(shows_sprite(c.frame == 1 ? SPR_SHIP_1 : SPR_SHIP_2, 150 + game.player_off_x, 250)) << c.key;
        stop_headless();
    }
}

// A frame with a key that means nothing in the mode ends exactly as a frame
// with no key at all, down to the last field and sound. S held on into play
// thus starts no second game.
TEST(PlayKeys, KeysWithoutAMeaningInTheModeChangeNothing) {
    static GameState before, idle;
    const struct { int mode, key; } cases[] = {
        {MODE_PLAY, KEY_F1}, {MODE_PLAY, KEY_F2}, {MODE_PLAY, KEY_LSHIFT}, {MODE_PLAY, KEY_RSHIFT},
        {MODE_PLAY, KEY_ENTER}, {MODE_PLAY, KEY_F3}, {MODE_PLAY, KEY_F4}, {MODE_PLAY, KEY_S},
        {MODE_TITLE, KEY_LEFT}, {MODE_TITLE, KEY_UP}, {MODE_TITLE, KEY_DOWN}, {MODE_TITLE, KEY_SPACE},
        {MODE_TITLE, KEY_ENTER}, {MODE_TITLE, KEY_F3}, {MODE_TITLE, KEY_RSHIFT}};
    for (const auto &c : cases) {
        if (c.mode == MODE_PLAY) start_empty_play(); else start_headless(MODE_TITLE);
        std::memcpy(static_cast<void *>(&before), &game, sizeof game);
        run_frames(1);
        std::memcpy(static_cast<void *>(&idle), &game, sizeof game);
        const size_t idle_sounds = sounds.size();
        std::memcpy(static_cast<void *>(&game), &before, sizeof game);
        run_frames(1, {c.key});
        EXPECT_EQ(std::memcmp(&idle, &game, sizeof game), 0) << "mode " << c.mode << " key " << c.key;
        EXPECT_EQ(sounds.size(), 2 * idle_sounds);
        stop_headless();
    }
}

TEST(PlayKeys, EscapeEndsTheLoopBeforeTheOtherKeysOfItsFrame) {
    start_empty_play();
    EXPECT_TRUE(run_test_frame());
    hold_keys({KEY_ESC, KEY_LEFT, KEY_UP, KEY_SPACE});
    game.fire_timer = 12;
    const int32_t title_frame = game.title_frame;
    EXPECT_FALSE(run_test_frame());
    EXPECT_EQ(game.title_frame, title_frame + 1);  // the frame itself still ran, in play too
    EXPECT_EQ(game.player_off_x, 0); EXPECT_EQ(game.scroll_y, 2560); EXPECT_EQ(game.fire_timer, 12);
    expect_shot_sounds(0);
    stop_headless();
}

}  // namespace
