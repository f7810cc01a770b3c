#include "support/harness.h"

// The fire timer counts held frames and keeps its count over a release; shots
// leave the nose in slots 1 to 20 in turn, never slot 0.
TEST(PlayFire, TheFireTimerCountsAcrossAReleaseAndShotsGoRoundSlotsOneToTwenty) {
    const Running play(MODE_PLAY);
    run_frames(12, {KEY_SPACE});
    run_frames(30);
    EXPECT_EQ(sounds.size(), 0u);
    run_frames(1, {KEY_SPACE});
    EXPECT_EQ((std::pair{sounds.size(), game.player_shots[1].state}), (std::pair{size_t{1}, SHOT_FLYING}));
    game.next_shot = 20;
    run_frames(13, {KEY_SPACE});
    EXPECT_EQ((std::tuple{game.player_shots[20].state, game.player_shots[0].state, game.next_shot}),
              (std::tuple{SHOT_FLYING, SHOT_IDLE, 1}));
}

// A key that means nothing in the mode changes nothing, down to the last field
// and sound: S held on into play starts no second game, right Shift exports
// nothing outside the editor.
TEST(PlayKeys, KeysWithoutAMeaningInTheModeChangeNothing) {
    static GameState before, idle;
    const struct { int mode; std::vector<int> keys; } cases[] = {
        {MODE_PLAY, {KEY_ENTER, KEY_F3, KEY_F4, KEY_S, KEY_RSHIFT}},
        {MODE_TITLE, {KEY_LEFT, KEY_DOWN, KEY_SPACE, KEY_ENTER, KEY_F3, KEY_RSHIFT}}};
    for (const auto &c : cases)
        for (int key : c.keys) {
            const Running run(c.mode);
            copy_of_game(before);
            run_frames(1);
            copy_of_game(idle);
            const size_t idle_sounds = sounds.size();
            set_game(before);
            run_frames(1, {key});
            EXPECT_TRUE(game_equals(idle)) << "mode " << c.mode << " key " << key;
            EXPECT_EQ(sounds.size(), 2 * idle_sounds);
        }
}

// F3 and F4 move the view every frame within rows 10 to 256; the arrows and
// Space count on one shared timer, Space stepping the brush round all five.
TEST(EditorKeys, F3AndF4StopAtRowsTenAnd256WhileArrowsAndSpaceShareOneTimer) {
    const Running edit(MODE_EDITOR);
    run_frames(300, {KEY_F3});
    EXPECT_EQ((std::pair{game.top_row, game.scroll_y}), (std::pair{10, 100}));
    run_frames(300, {KEY_F4});
    EXPECT_EQ((std::pair{game.top_row, game.scroll_y}), (std::pair{256, 2560}));
    for (int frame = 1; frame <= 56; ++frame) {  // Space alone: a brush every eleventh frame, 4 then 0
        run_frames(1, {KEY_SPACE});
        EXPECT_EQ(game.brush, frame / 11 % 5) << frame;
    }
    game.editor_key_timer = game.brush = 0;
    run_frames(20, {KEY_RIGHT, KEY_SPACE});  // two counts a frame: a step every second frame, no brush
    EXPECT_EQ((std::pair{game.cursor_off_x, game.brush}), (std::pair{90, BRUSH_ERASE}));
}
