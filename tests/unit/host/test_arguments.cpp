#include "core/build_info.h"
#include "host/arguments.h"
#include "host/window.h"
#include "support/harness.h"

// A level made of the template with a walker at (150, 4) and a block at (100, 9).
static const Placed MINE = {{150, 4, 77}, {100, 9, CELL_BLOCK}};

struct Arguments : ::testing::Test {
    void TearDown() override { use_level_file(nullptr), set_level_text_path("level.txt"); }
    // take_arguments on these words, with what it printed on stdout and stderr.
    int take(int mode, std::vector<std::string> words) {
        std::vector<char *> argv;
        for (std::string &w : words) argv.push_back(w.data());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        options = {};
        const int status = take_arguments(mode, static_cast<int>(argv.size()), argv.data(), options);
        out = testing::internal::GetCapturedStdout(), err = testing::internal::GetCapturedStderr();
        return status;
    }
    ScratchDir dir;
    const std::string mine = dir / "mine.txt";
    std::string out, err;
    Options options;
    void SetUp() override { std::ofstream(mine, std::ios::binary) << level_text(MINE); }
};

// Without arguments nothing changes; anything else the program does not take
// gets one line that names it, the usage line after it, and status 2; asking
// for help gets it on stdout.
// (A bad level file: tests/levels/test_level_checks.sh, with the real programs.)
TEST_F(Arguments, NoneChangeNothingAndUnknownOnesAreNamed) {
    for (int mode : {MODE_TITLE, MODE_EDITOR}) EXPECT_EQ((std::pair{take(mode, {"upshot"}), out + err}), (std::pair{ARGUMENTS_TAKEN, std::string()}));
    const std::string run = dir / "run.txt";
    const struct { int mode; std::vector<std::string> words; std::string named; } unknown[] = {
        {MODE_TITLE, {"upshot", mine}, "unexpected argument '"},
        {MODE_TITLE, {"upshot", "--level"}, "--level needs a value, FILE"},
        {MODE_TITLE, {"upshot", "--level", mine, mine}, "unexpected argument"},
        {MODE_TITLE, {"upshot", "--bogus"}, "unknown option '--bogus'"},
        {MODE_TITLE, {"upshot", "--bogus=3"}, "unknown option '--bogus'"},
        {MODE_TITLE, {"upshot", "--", "--level", mine}, "unexpected argument '--level'"},
        {MODE_EDITOR, {"upshot-editor", "--level", mine}, "unknown option '--level'"},
        {MODE_EDITOR, {"upshot-editor", mine, mine}, "unexpected argument"},
        {MODE_EDITOR, {"upshot-editor", "--record", mine}, "unknown option '--record'"},
        {MODE_EDITOR, {"upshot-editor", "--scale", "2", "--scale=2"}, "--scale is given twice"},
        {MODE_TITLE, {"upshot", "--watch", mine, "--level", mine}, "--watch cannot go with --level"},
        {MODE_TITLE, {"upshot", "--record", run, "--watch", mine}, "--watch cannot go with --record"},
        {MODE_TITLE, {"upshot", "--record", run, "--record=" + run}, "--record is given twice"}};
    for (const auto &c : unknown) {
        EXPECT_EQ(take(c.mode, c.words), 2) << c.words[1];
        const std::string who = c.words[0] + ": ";
        EXPECT_EQ(err.rfind(who + c.named, 0), 0u) << err;
        const size_t line = err.find('\n');
        EXPECT_EQ(err.substr(line + 1).rfind("usage: " + c.words[0] + " ", 0), 0u) << err;
        EXPECT_EQ(err.find('\n', line + 1), err.size() - 1) << err;
    }
    EXPECT_EQ(take(MODE_EDITOR, {"upshot-editor", "--help"}), 0);
    EXPECT_EQ(out.rfind("usage: upshot-editor [FILE]", 0), 0u) << out;
    // None of that started a recording or made a level file the game's; upshot
    // --level FILE does: S plays the file (it then comes round in level 2's place).
    EXPECT_FALSE(std::filesystem::exists(dir / "run.txt"));
    for (bool level : {false, true}) {
        if (level) { ASSERT_EQ(take(MODE_TITLE, {"upshot", "--level=" + mine}), ARGUMENTS_TAKEN) << err; }
        const Running title(MODE_TITLE);
        run_frames(1, {KEY_S});
        EXPECT_EQ(game.grid[150][4] == 77 && game.grid[100][9] == CELL_BLOCK, level);
        EXPECT_EQ(grid_holds_level(2), !level);
    }
}

// --version answers with the build's one version; --help names every option
// the program takes, and no other's; a bad scale is named.
TEST_F(Arguments, VersionHelpAndRepeats) {
    for (auto [mode, name] : {std::pair{MODE_TITLE, "upshot"}, std::pair{MODE_EDITOR, "upshot-editor"}}) {
        EXPECT_EQ(take(mode, {name, "--version"}), 0);
        EXPECT_EQ(out, std::string(name) + " " + UPSHOT_VERSION + "\n");
        EXPECT_EQ(take(mode, {name, "--help"}), 0);
        for (const char *option : {"--scale N|auto", "--help", "--version"}) EXPECT_NE(out.find(option), out.npos) << out;
        EXPECT_EQ(out.find("--level") != out.npos, mode == MODE_TITLE) << out;
        EXPECT_EQ(take(mode, {name, "--scale", "9"}), 2);
        EXPECT_EQ(err, std::string(name) + ": --scale: '9' is not a whole number from 1 to 8, nor auto\n");
    }
    EXPECT_EQ(take(MODE_TITLE, {"upshot", "--scale", "auto"}), ARGUMENTS_TAKEN) << err;
    EXPECT_EQ(options.window_scale, SCALE_AUTO);
}

// --scale auto: the largest window that leaves room for panels and a title bar.
TEST(WindowScale, AutoFitsTheDesktop) {
    const struct { int w, h, scale; } desktops[] = {
        {640, 480, 1}, {1366, 768, 2}, {1920, 1080, 3}, {2560, 1440, 4}, {3840, 2160, 6}, {7680, 4320, 8}, {100, 100, 1},
    };
    for (const auto &d : desktops) EXPECT_EQ(scale_to_fit(d.w, d.h), d.scale) << d.w << " x " << d.h;
}

// upshot-editor FILE: a file that is not there yet is the empty template, and
// right Shift writes it there, if its folder takes files; one that is there is
// opened and written back.
TEST_F(Arguments, TheEditorOpensAndSavesTheNamedFile) {
    EXPECT_EQ(take(MODE_EDITOR, {"upshot-editor", dir / "no/such/level.txt"}), 2);
    EXPECT_EQ(err, std::string("upshot-editor: ") + dir / "no/such/level.txt" + ": cannot be written: No such file or directory\n");
    for (const std::string &file : {dir / "fresh.txt", mine}) {
        ASSERT_EQ(take(MODE_EDITOR, {"upshot-editor", "--", file}), ARGUMENTS_TAKEN) << err;
        const Running edit(MODE_EDITOR);
        EXPECT_EQ(game.grid[150][4], file == mine ? 77 : 0);
        game.grid[150][4] = 78;
        run_frames(1, {KEY_RSHIFT});
        EXPECT_EQ(read_file(file), level_text({{150, 4, 78}, {100, 9, file == mine ? CELL_BLOCK : 0}}));
    }
}
