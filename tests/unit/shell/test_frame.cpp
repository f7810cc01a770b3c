#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/shell.h"
#include "support.h"

namespace {

// What the frame loop's hooks saw, in the order they ran.
std::vector<std::string> seen;
int keys_to_press;

void note(const char *hook) {
    std::string what = hook;
    what += game.mode == MODE_TITLE ? " title-mode" : " play-mode";
    if (shows_sprite(SPR_TITLE_1, 0, 0, 8)) what += " title-picture";
    if (!sounds.empty()) what += " music";
    seen.push_back(what);
}
void wait_retrace() { note("wait"); }
void present() { note("present"); }
void poll() {
    note("poll");
    std::memset(const_cast<char *>(key), 0, KEY_MAX);
    if (keys_to_press) key[keys_to_press] = 1;
}
const FramePlatform RECORDER = {wait_retrace, present, poll};

// The window shows each frame whole, then reads the keys; what they change is
// computed at once and shown by the next present, never by the one before.
TEST(FrameLoop, ShowsTheFinishedFrameThenReadsKeysThatShapeTheNext) {
    start_test_game(MODE_TITLE);
    seen.clear();
    keys_to_press = KEY_S;
    EXPECT_TRUE(run_frame(RECORDER));
    EXPECT_EQ(game.mode, MODE_PLAY);
    keys_to_press = 0;
    EXPECT_TRUE(run_frame(RECORDER));
    const std::vector<std::string> want = {
        "wait title-mode title-picture music", "present title-mode title-picture music", "poll title-mode title-picture music",
        "wait play-mode music",                "present play-mode music",                "poll play-mode music"};
    EXPECT_EQ(seen, want);
    stop_test_game();
}

}  // namespace
