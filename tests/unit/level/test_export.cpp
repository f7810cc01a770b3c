#include <csignal>
#include <map>
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
    std::string export_text() { return save_level_text(), read_file(path); }
    ScratchDir dir;
    const std::string path = dir / "level.txt";
};

// A field: the value's text and its comma, padded with spaces to 14 characters.
static std::string field(const std::string &text) { return text + std::string(14 - text.size(), ' '); }

TEST_F(Export, FieldsOfAnyValueLoadBackWithColumnZeroMovedUpARowAndNothingOfTheCellsOutside) {
    const std::string plain = export_text();
    EXPECT_EQ(plain, level_text());
    for (int r = 0; r <= 288; ++r) game.grid[r][32] = 77;
    for (int c = 0; c <= 32; ++c) game.grid[0][c] = game.grid[288][c] = 88;
    game.grid[1][0] = -9;
    EXPECT_EQ(export_text(), plain);

    const struct { int row, col, value; const char *text; } cases[] = {{2, 0, -5, "-5,"}, {1, 31, 45, " 45,"},
        {100, 7, -2147483647 - 1, "-2147483648,"}, {287, 31, 2147483647, " 2147483647,"}, {25, 15, 107, " 107,"}};
    for (const auto &c : cases) game.grid[c.row][c.col] = c.value;
    const std::string text = export_text();
    ASSERT_EQ(text.size(), 129136u);
    for (const auto &c : cases) {  // line 1 starts at column 1 and is 436 bytes long, the others 450
        const size_t at = c.row == 1 ? (c.col - 1) * 14 : 436 + (c.row - 2) * 450 + c.col * 14;
        // The padding of the last field stays before the line end.
        EXPECT_EQ(text.substr(at, c.col == 31 ? 16 : 14), field(c.text) + (c.col == 31 ? "\r\n" : ""));
    }
    static LevelValues values;  // loaded back, value k goes to row 1 + k / 32, column 1 + k % 32
    LevelTextError error;
    ASSERT_TRUE(parse_level_text(text.data(), text.size(), values, error)) << error.words;
    std::map<std::pair<int, int>, long> loaded, want = {{{1, 1}, CELL_CURSOR}};
    for (int k = 0; k < values.count; ++k)
        if (values.value[k] != 0) loaded[{1 + k / 32, 1 + k % 32}] = values.value[k];
    for (const auto &c : cases) want[c.col == 0 ? std::pair{c.row - 1, 32} : std::pair{c.row, c.col}] = c.value;
    EXPECT_EQ(loaded, want);
}

// A new file is made as any program makes one (0666 less the umask, where
// mkstemp alone would leave 0600); writing over a file keeps the mode its
// owner gave it.
TEST_F(Export, ANewFileGetsTheUsualModeAndAnOldOneKeepsItsOwn) {
    auto mode_of = [&] {
        struct stat st;
        return stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : -1u;
    };
    const mode_t saved = umask(027);
    save_level_text();
    EXPECT_EQ(mode_of(), 0640u);
    chmod(path.c_str(), 0604);
    save_level_text();
    EXPECT_EQ(mode_of(), 0604u);
    umask(saved);
}

// A failed export says so in one line and leaves the last good file and no temporary.
static void expect_failed_export(const std::string &dir, const std::string &path, const std::string &old) {
    const auto entries = [&] {
        std::error_code none;  // a folder that is not there has no entries
        return std::distance(fs::directory_iterator(dir, none), fs::directory_iterator());
    };
    const long before = entries();
    testing::internal::CaptureStderr();
    save_level_text();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ((std::tuple{read_file(path), entries(), game.exports}), (std::tuple{old, before, 0})) << path;
    EXPECT_NE(err.find("level.txt"), std::string::npos) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}

TEST_F(Export, AFailureKeepsThePreviousFile) {
    const std::string missing = dir / "missing";  // nowhere to make the temporary
    set_level_text_path((missing + "/level.txt").c_str());
    expect_failed_export(missing, missing + "/level.txt", "");
    set_level_text_path(path.c_str());
    fs::create_directory(path);  // nothing can be renamed over a directory
    expect_failed_export(dir.path, path, "");
    fs::remove(path);

    const std::string old = export_text();
    game.exports = 0;
    rlimit saved, small;  // a write that fails half-way, as on a full disk
    getrlimit(RLIMIT_FSIZE, &saved);
    small = {64 * 1024, saved.rlim_max};
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    expect_failed_export(dir.path, path, old);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
}
