#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <linux/fs.h>
#include <map>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "level/level.h"
#include "support.h"
#include "world/world.h"

namespace {

namespace fs = std::filesystem;

std::string read_file(const std::string &path) {
    std::string text;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
        std::fclose(f);
    }
    return text;
}

long entries(const std::string &dir) {
    std::error_code none;
    return std::distance(fs::directory_iterator(dir, none), fs::directory_iterator());
}

// A field: the value's text and its comma, padded with spaces to 14 characters.
std::string field(const std::string &text) { return text + std::string(14 - text.size(), ' '); }

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        char dir_template[] = "/tmp/upshot-export-XXXXXX";
        dir = mkdtemp(dir_template);
        path = dir + "/level.txt";
        set_level_text_path(path.c_str());
        std::memset(static_cast<void *>(&game), 0, sizeof game);
        load_level(EDITOR_TEMPLATE_LEVEL);
    }
    void TearDown() override {
        set_level_text_path("level.txt");
        fs::remove_all(dir);
    }
    std::string export_text() {
        save_level_text();
        return read_file(path);
    }
    std::string dir, path;
};

TEST_F(Export, RightShiftWritesTheUntouchedTemplateInEveryHeldFrameOfTheEditor) {
    std::string want = field(" 1014,");
    for (int c = 2; c <= 31; ++c) want += field(" 0,");
    want += "\r\n";
    for (int r = 2; r <= 287; ++r) {
        for (int c = 0; c <= 31; ++c) want += field(r == 25 && c == 15 ? " 1," : " 0,");
        want += "\r\n";
    }
    start_headless(MODE_EDITOR);
    run_frames(3, {KEY_RSHIFT});
    EXPECT_EQ(game.exports, 3);
    const std::string text = read_file(path);
    EXPECT_EQ(text.size(), 129136u);
    EXPECT_EQ(text.find("\r\n"), 434u);
    EXPECT_TRUE(text == want);
    game.mode = MODE_PLAY;
    run_frames(1, {KEY_RSHIFT});
    EXPECT_EQ(game.exports, 3);
    stop_headless();
}

TEST_F(Export, FieldsOfAnyValueAndNothingOfTheCellsOutsideTheRange) {
    const std::string plain = export_text();
    for (int r = 0; r <= 288; ++r) game.grid[r][32] = 77;
    for (int c = 0; c <= 32; ++c) game.grid[0][c] = game.grid[288][c] = 88;
    game.grid[1][0] = -9;
    EXPECT_TRUE(export_text() == plain);

    const struct { int row, col, value; const char *text; } cases[] = {{2, 0, -5, "-5,"}, {1, 31, 45, " 45,"},
        {100, 7, -2147483647 - 1, "-2147483648,"}, {287, 31, 2147483647, " 2147483647,"}, {25, 15, 107, " 107,"}};
    for (const auto &c : cases) game.grid[c.row][c.col] = c.value;
    const std::string text = export_text();
    ASSERT_EQ(text.size(), 129136u);
    for (const auto &c : cases) {  // line 1 starts at column 1 and is 436 bytes long, the others 450
        const size_t at = c.row == 1 ? (c.col - 1) * 14 : 436 + (c.row - 2) * 450 + c.col * 14;
        EXPECT_EQ(text.substr(at, 14), field(c.text));
        if (c.col == 31) {
            EXPECT_EQ(text.substr(at + 14, 2), "\r\n");  // the padding stays before the line end
        }
    }
}

// A failed export says so in one line, leaves the last good file and no temporary, and changes nothing else.
void expect_failed_export(const std::string &dir, const std::string &path, const std::string &old) {
    const long before = entries(dir);
    game.grid[50][5] = CELL_BLOCK;
    testing::internal::CaptureStderr();
    save_level_text();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(read_file(path) == old);
    EXPECT_EQ(entries(dir), before);
    EXPECT_EQ(game.exports, 0);
    EXPECT_EQ(game.grid[50][5], CELL_BLOCK);
    EXPECT_TRUE(err.find("level.txt") != std::string::npos && err.find('\n') == err.size() - 1) << err;
}

TEST_F(Export, AFailureKeepsThePreviousFile) {
    const std::string missing = dir + "/missing";
    set_level_text_path((missing + "/level.txt").c_str());
    expect_failed_export(missing, missing + "/level.txt", "");
    set_level_text_path(path.c_str());
    fs::create_directory(path);  // nothing can be renamed over a directory
    expect_failed_export(dir, path, "");
    fs::remove(path);

    const std::string old = export_text();
    game.exports = 0;
    // Even root cannot add files to an immutable directory.
    int fd = open(dir.c_str(), O_RDONLY), flags = 0;
    bool immutable = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags |= FS_IMMUTABLE_FL;
    if (immutable && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0) {  // not every file system can
        expect_failed_export(dir, path, old);
        flags &= ~FS_IMMUTABLE_FL;
        ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    close(fd);

    rlimit saved, small;  // a write that fails half-way, as on a full disk
    getrlimit(RLIMIT_FSIZE, &saved);
    small = saved;
    small.rlim_cur = 64 * 1024;
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    expect_failed_export(dir, path, old);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
}

TEST_F(Export, ALevelMadeInTheEditorLoadsBackWithColumnZeroMovedUpARow) {
    start_headless(MODE_EDITOR);
    load_level(EDITOR_TEMPLATE_LEVEL);
    const struct { int row, col, brush, code; } placed[] = {{100, 0, BRUSH_BLOCK, 2}, {100, 1, BRUSH_WALKER, 4},
        {200, 31, BRUSH_RIGHT_TURRET, 105}, {287, 0, BRUSH_LEFT_TURRET, 155}, {2, 5, BRUSH_WALKER, 5},
        {287, 31, BRUSH_BLOCK, 2}, {150, 32, BRUSH_BLOCK, 2}, {288, 3, BRUSH_BLOCK, 2}};
    for (const auto &p : placed) {  // the cursor's anchor is (1, 1) and the view at the bottom
        game.brush = p.brush, game.cursor_off_x = (p.col - 1) * 10, game.cursor_off_y = (p.row - 257) * 10;
        game.place_request = ON;
        step_world();
        ASSERT_EQ(game.grid[p.row][p.col], p.code);
    }
    std::istringstream text(export_text());
    std::vector<long> values;
    for (std::string piece; std::getline(text, piece, ',');)
        if (piece.find_first_not_of(" \r\n") != std::string::npos) values.push_back(std::strtol(piece.c_str(), nullptr, 10));
    ASSERT_EQ(values.size(), 9183u);
    // A load puts value k in row 1 + k / 32, column 1 + k % 32.
    std::map<std::pair<int, int>, long> loaded, want = {{{1, 1}, CELL_CURSOR}, {{25, 15}, CELL_PLAYER}};
    for (int k = 0; k < 9183; ++k)
        if (values[k] != 0) loaded[{1 + k / 32, 1 + k % 32}] = values[k];
    for (const auto &p : placed)
        if (p.row <= 287 && p.col <= 31) want[p.col == 0 ? std::pair{p.row - 1, 32} : std::pair{p.row, p.col}] = p.code;
    EXPECT_EQ(loaded, want);
    stop_headless();
}

}  // namespace
