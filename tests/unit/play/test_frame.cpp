#include "support/harness.h"

// Escape ends the loop after its frame's own steps (the title cycle still
// advances) and before any key of that frame acts.
TEST(FrameLoop, EscapeEndsTheLoopAfterTheFramesStepsBeforeAnyKeyActs) {
    const Running play(MODE_PLAY);
    hold_keys({KEY_ESC, KEY_LEFT, KEY_UP, KEY_SPACE});
    game.fire_timer = 12;
    const int32_t title_frame = game.title_frame;
    EXPECT_FALSE(run_test_frame());
    EXPECT_EQ(game.title_frame, title_frame + 1);
    EXPECT_EQ((std::tuple{game.player_off_x, game.scroll_y, game.fire_timer, sounds.size()}),
              (std::tuple{0, 2560, 12, 0u}));
}

// Every step tests the mode as it stands: a hit in the walk ends the game, so
// the same frame shows the title picture, and the level does not end although
// the view is at row 10.
TEST(FrameLoop, AHitInTheWalkShowsTheTitleInTheSameFrame) {
    const Running play(MODE_PLAY);
    set_scroll_y(100);
    game.level_number = 4;
    game.grid[game.top_row + 30][2] = CELL_WALKER_FIRST + 1;  // walker 1 low on the screen
    game.walker_shots[5][1] = {SHOT_FLYING, 160, 260};        // in the ship's box at (150, 250) once it falls
    run_frames(1);
    EXPECT_EQ(game.mode, MODE_TITLE);
    EXPECT_TRUE(shows_sprite(SPR_TITLE_1, 0, 0, 8));
    EXPECT_EQ((std::pair{game.level_number, game.scroll_y}), (std::pair{4, 100}));
}

// What the frame loop's hooks saw, in the order they ran.
static std::vector<std::string> seen;
static int key_to_press;
static void note(const char *hook) {
    seen.push_back(std::string(hook) + (game.mode == MODE_TITLE ? " title-mode" : " play-mode") +
                   (shows_sprite(SPR_TITLE_1, 0, 0, 8) ? " title-picture" : "") + (sounds.empty() ? "" : " music"));
}
static const FramePlatform RECORDER = {[] { note("wait"); }, [] { note("present"); }, [] {
                                           note("poll");
                                           hold_keys({key_to_press});
                                       }};

// The window shows each frame whole, then reads the keys; what they change is
// computed at once and shown by the next present, never by the one before. The
// title starts its looping music once, so it plays on when a game ends.
TEST(FrameLoop, ShowsTheFinishedFrameThenReadsKeysThatShapeTheNext) {
    const Running title(MODE_TITLE);
    seen.clear(), key_to_press = KEY_S;
    EXPECT_TRUE(run_frame(RECORDER));
    EXPECT_EQ(game.mode, MODE_PLAY);
    key_to_press = 0;
    EXPECT_TRUE(run_frame(RECORDER));
    const std::vector<std::string> want = {
        "wait title-mode title-picture music", "present title-mode title-picture music", "poll title-mode title-picture music",
        "wait play-mode music",                "present play-mode music",                "poll play-mode music"};
    EXPECT_EQ(seen, want);
    game.mode = MODE_TITLE;  // as a hit leaves it
    run_frames(2);
    EXPECT_EQ(sounds.size(), 1u);
}
