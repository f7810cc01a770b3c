#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/build_info.h"
#include "core/game_state.h"
#include "level/level.h"
#include "level/level_text.h"
#include "shell/arguments.h"
#include "shell/shell.h"
#include "shell/startup.h"
#include "support/harness.h"
#include "support/level_texts.h"

namespace {

namespace fs = std::filesystem;

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Arguments : ::testing::Test {
    void TearDown() override {
        use_level_file(nullptr);
        set_level_text_path("level.txt");
        fs::remove_all(dir);
    }
    // take_arguments on these words, with what it printed on stdout and stderr.
    int take(int mode, std::vector<std::string> words) {
        std::vector<char *> argv;
        for (std::string &w : words) argv.push_back(w.data());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = take_arguments(mode, static_cast<int>(argv.size()), argv.data());
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        return status;
    }
    // A level made of the template with a walker at (150, 4) and a block at (100, 9).
    std::string write_level(const std::string &name) {
        static LevelCells cells;
        static char text[LONGEST_LEVEL_TEXT];
        std::memset(cells, 0, sizeof cells);
        cells[CURSOR_ROW][CURSOR_COL] = CELL_CURSOR;
        cells[PLAYER_ROW][PLAYER_COL] = CELL_PLAYER;
        cells[150][4] = 77, cells[100][9] = CELL_BLOCK;
        std::ofstream(dir + "/" + name, std::ios::binary) << std::string(text, format_level_text(EXPORT_LAYOUT, cells, text));
        return dir + "/" + name;
    }
    char dir_template[24] = "/tmp/upshot-args-XXXXXX";
    const std::string dir = mkdtemp(dir_template);
    std::string out, err;
};

// Without arguments nothing changes; anything else the program does not know
// gets one usage line and status 2, and asking for help gets it on stdout.
TEST_F(Arguments, NoneChangeNothingAndUnknownOnesGetTheUsage) {
    const std::string level = write_level("good.txt");
    for (int mode : {MODE_TITLE, MODE_EDITOR}) {
        EXPECT_EQ(take(mode, {"upshot"}), ARGUMENTS_TAKEN);
        EXPECT_EQ(out + err, "");
    }
    const struct { int mode; std::vector<std::string> words; } unknown[] = {
        {MODE_TITLE, {"upshot", level}},       {MODE_TITLE, {"upshot", "--level"}},
        {MODE_TITLE, {"upshot", "--levels", level}}, {MODE_TITLE, {"upshot", "--level", level, level}},
        {MODE_EDITOR, {"upshot-editor", "--level", level}}, {MODE_EDITOR, {"upshot-editor", level, level}},
        {MODE_EDITOR, {"upshot-editor", "-x"}}, {MODE_EDITOR, {"upshot-editor", ""}},
    };
    for (const auto &c : unknown) {
        EXPECT_EQ(take(c.mode, c.words), 2) << c.words[1];
        EXPECT_EQ(err.rfind("usage: ", 0), 0u) << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    }
    EXPECT_EQ(take(MODE_EDITOR, {"upshot-editor", "--help"}), 0);
    EXPECT_EQ(out.rfind("usage: upshot-editor [FILE]", 0), 0u) << out;
    // None of that made a level file the game's.
    start_test_game(MODE_TITLE);
    run_frames(1, {KEY_S});
    EXPECT_TRUE(grid_holds_level(2));
    stop_test_game();
}

// --version answers with the build's one version; --help names every option
// the program takes, and no other's; a repeated option is a usage error.
TEST_F(Arguments, VersionHelpAndRepeats) {
    for (auto [mode, name] : {std::pair{MODE_TITLE, "upshot"}, std::pair{MODE_EDITOR, "upshot-editor"}}) {
        EXPECT_EQ(take(mode, {name, "--version"}), 0);
        EXPECT_EQ(out, std::string(name) + " " + UPSHOT_VERSION + "\n");
        EXPECT_EQ(take(mode, {name, "--help"}), 0);
        for (const char *option : {"--scale N|auto", "--help", "--version"}) EXPECT_NE(out.find(option), out.npos) << out;
        EXPECT_EQ(out.find("--level") != out.npos, mode == MODE_TITLE) << out;
        EXPECT_EQ(take(mode, {name, "--scale", "2", "--scale", "2"}), 2);
        EXPECT_EQ(err.rfind("usage: ", 0), 0u) << err;
    }
    EXPECT_EQ(take(MODE_TITLE, {"upshot", "--scale", "auto"}), ARGUMENTS_TAKEN) << err;
    set_window_scale(1);
}

// --scale auto: the largest window that leaves room for panels and a title bar.
TEST(WindowScale, AutoFitsTheDesktop) {
    const struct { int w, h, scale; } desktops[] = {
        {640, 480, 1}, {1366, 768, 2}, {1920, 1080, 3}, {2560, 1440, 4}, {3840, 2160, 6}, {7680, 4320, 8}, {100, 100, 1},
    };
    for (const auto &d : desktops) EXPECT_EQ(scale_to_fit(d.w, d.h), d.scale) << d.w << " x " << d.h;
}

// upshot --level FILE: S plays the file, level 3 follows it, and after level 5
// the file comes round again in level 2's place.
TEST_F(Arguments, ALevelFileIsPlayedFirstAfterSAndComesRoundInLevelTwosPlace) {
    ASSERT_EQ(take(MODE_TITLE, {"upshot", "--level", write_level("mine.txt")}), ARGUMENTS_TAKEN) << err;
    start_test_game(MODE_TITLE);
    run_frames(1, {KEY_S});
    EXPECT_EQ(game.mode, MODE_PLAY);
    EXPECT_EQ(game.grid[150][4], 77);
    EXPECT_EQ(game.grid[100][9], CELL_BLOCK);
    for (int next : {3, 4, 5, 2}) {
        set_scroll_y(LEVEL_END_ROW * CELL_SIZE);
        check_level_end();
        EXPECT_EQ(game.level_number, next);
        EXPECT_EQ(game.grid[150][4] == 77 && game.grid[100][9] == CELL_BLOCK, next == 2) << "level " << next;
    }
    stop_test_game();
}

// A bad file is named with its line and rule in one line, with status 2, and
// left as it was; a new file for the editor needs a folder that takes files.
TEST_F(Arguments, ABadFileIsNamedAndLeftAlone) {
    const std::string bad = write_level("bad.txt");
    std::string text = read_file(bad);
    text[436 + 49 * 450 + 1] = 'x';  // line 51, the first field: " x,"
    std::ofstream(bad, std::ios::binary) << text;
    for (int mode : {MODE_TITLE, MODE_EDITOR}) {
        EXPECT_EQ(take(mode, mode == MODE_TITLE ? std::vector<std::string>{"upshot", "--level", bad}
                                                 : std::vector<std::string>{"upshot-editor", bad}),
                  2);
        EXPECT_EQ(err, bad + ":51: 'x' is not a decimal integer\n");
        EXPECT_EQ(read_file(bad), text);
    }
    EXPECT_EQ(take(MODE_EDITOR, {"upshot-editor", dir + "/no/such/level.txt"}), 2);
    EXPECT_EQ(err, dir + "/no/such/level.txt: cannot be written: No such file or directory\n");
}

// upshot-editor FILE: a file that is not there yet is the empty template, and
// right Shift writes it there; one that is there is opened and written back.
TEST_F(Arguments, TheEditorOpensAndSavesTheNamedFile) {
    const std::string fresh = dir + "/fresh.txt", mine = write_level("mine.txt"), before = read_file(mine);
    ASSERT_EQ(take(MODE_EDITOR, {"upshot-editor", fresh}), ARGUMENTS_TAKEN) << err;
    start_test_game(MODE_EDITOR);
    run_frames(1, {KEY_RSHIFT});
    stop_test_game();
    EXPECT_EQ(read_file(fresh).size(), 129136u);

    ASSERT_EQ(take(MODE_EDITOR, {"upshot-editor", mine}), ARGUMENTS_TAKEN) << err;
    start_test_game(MODE_EDITOR);
    EXPECT_EQ(game.grid[150][4], 77);
    game.brush = BRUSH_BLOCK;  // over cell (257, 1)
    run_frames(1, {KEY_ENTER});
    run_frames(1, {KEY_RSHIFT});
    stop_test_game();
    std::string want = before;
    want.replace(436 + 255 * 450 + 14, 3, " 2,");
    EXPECT_EQ(read_file(mine), want);
}

}  // namespace
