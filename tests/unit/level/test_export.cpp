#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include "support/harness.h"

// The export of the editor's empty template, into a scratch folder.
struct Export : ::testing::Test {
    void SetUp() override {
        set_level_text_path(path.c_str());
        std::memset(static_cast<void *>(&game), 0, sizeof game);
        load_level(EDITOR_TEMPLATE_LEVEL);
    }
    void TearDown() override { set_level_text_path("level.txt"); }
    std::string export_text() { return write_level_text(), read_file(path); }
    ScratchDir dir;
    const std::string path = dir / "level.txt";
};

// The export writes rows 1..287 of the grid, row 1 from column 1 and the others
// from column 0, as every shipped level is laid out. (The cells it writes, and
// how: the editor tests of tests/unit/host/test_arguments.cpp and level/test_grid.cpp.)
TEST_F(Export, WritesNothingOfTheCellsOutsideItsRowsAndColumns) {
    for (int r = 0; r <= 288; ++r) game.grid[r][32] = 77;
    for (int c = 0; c <= 32; ++c) game.grid[0][c] = game.grid[288][c] = 88;
    game.grid[1][0] = -9;
    EXPECT_EQ(export_text(), level_text());
}

// A new file is made as any program makes one (0666 less the umask, where
// mkstemp alone would leave 0600); writing over a file keeps the mode, and
// (where the user may give them: the superuser here) the owner and group.
TEST_F(Export, ANewFileGetsTheUsualModeAndAnOldOneKeepsItsOwn) {
    auto owner_and_mode = [&] {
        struct stat st;
        return stat(path.c_str(), &st) == 0 ? std::tuple{st.st_uid, st.st_gid, st.st_mode & 0777} : std::tuple{0u, 0u, -1u};
    };
    const mode_t saved = umask(027);
    EXPECT_TRUE(write_level_text());
    EXPECT_EQ(owner_and_mode(), std::tuple(geteuid(), getegid(), 0640u));
    const bool root = geteuid() == 0;
    const uid_t other = root ? 65534 : geteuid();  // nobody
    const gid_t group = root ? 65534 : getegid();
    ASSERT_EQ(chown(path.c_str(), other, group), 0);
    chmod(path.c_str(), 0604);
    write_level_text();
    EXPECT_EQ(owner_and_mode(), std::tuple(other, group, 0604u));
    umask(saved);
}

// A level file that is a symbolic link (here a relative one to a link in
// another folder, and a dangling one) is written through: the links stay
// links, the file at their end gets the text, and nothing else appears.
TEST_F(Export, ALinkStaysALinkAndItsTargetGetsTheText) {
    fs::create_directory(dir / "real");
    fs::create_symlink("real/inner", path);
    fs::create_symlink(dir / "real/level.txt", dir / "real/inner");
    const std::string text = export_text();
    EXPECT_EQ(text.size(), 129136u);
    EXPECT_TRUE(fs::is_symlink(path) && fs::is_symlink(dir / "real/inner"));
    auto entries = [](const std::string &d) { return std::distance(fs::directory_iterator(d), fs::directory_iterator()); };
    EXPECT_EQ((std::tuple{entries(dir.path), entries(dir / "real")}), (std::tuple{2, 2}));
    game.grid[9][9] = 7;
    EXPECT_NE(export_text(), text);
    EXPECT_EQ(read_file(dir / "real/level.txt"), read_file(path));
}

// A failed export says so in one line, returns false and counts nothing, and
// leaves the last good file and no temporary: with no folder to write in, and with a disk that fills up half-way.
TEST_F(Export, AFailureKeepsThePreviousFile) {
    const std::string old = export_text(), nowhere = dir / "missing/level.txt";
    rlimit saved, small;
    getrlimit(RLIMIT_FSIZE, &saved);
    small = {64 * 1024, saved.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    for (bool full : {false, true}) {
        game.exports = 0;
        if (full) setrlimit(RLIMIT_FSIZE, &small); else set_level_text_path(nowhere.c_str());
        testing::internal::CaptureStderr();
        const bool written = write_level_text();
        const std::string err = testing::internal::GetCapturedStderr();
        setrlimit(RLIMIT_FSIZE, &saved), set_level_text_path(path.c_str());
        const long entries = std::distance(fs::directory_iterator(dir.path), fs::directory_iterator());
        EXPECT_EQ((std::tuple{written, read_file(path), entries, game.exports}), (std::tuple{false, old, 1L, 0})) << full;
        EXPECT_TRUE(err.find("level.txt") != err.npos && err.find('\n') == err.size() - 1) << err;
    }
    std::signal(SIGXFSZ, handler);
}
