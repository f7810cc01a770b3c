#include "support/harness.h"

// The fire timer counts held frames and keeps its count over a release; shots
// leave the nose in slots 1 to 20 in turn, never slot 0.
TEST(PlayFire, EveryThirteenthHeldFrameFiresCountingAcrossAReleaseIntoSlotsOneToTwenty) {
    const Running play(MODE_PLAY);
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
    EXPECT_EQ((std::pair{game.player_shots[0].state, sounds.size()}), (std::pair{SHOT_IDLE, size_t{21}}));
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
