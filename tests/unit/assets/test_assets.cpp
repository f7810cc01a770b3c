#include "assets/assets.h"
#include "support/harness.h"

using Assets = GameIn<MODE_TITLE>;

// (How they sound through the library's own driver: tests/e2e/test_sound.sh.)
TEST_F(Assets, TheShotIsShortAndTheMusicLoopsWithoutAJump) {
    EXPECT_LT(game.shot_sample->len, game.shot_sample->freq / 4u);
    const SAMPLE *m = game.music_sample;
    EXPECT_GE(m->len, 8u * m->freq);
    const auto *pcm = static_cast<const uint16_t *>(m->data);  // the library holds 16-bit samples offset by 0x8000
    EXPECT_LT(std::abs(int(pcm[m->len - 1]) - int(pcm[0])), 64);
}

static void small_bmp(const fs::path &path, int w, int h) {
    BITMAP *b = create_bitmap(w, h);
    clear_bitmap(b);
    save_bmp(path.c_str(), b, default_palette);
    destroy_bitmap(b);
}

// Each case loads from a copy of data/ that `spoil` has damaged.
TEST(AssetLoading, AMissingOrBadFileFailsWithOneLineNamingIt) {
    const struct { const char *file; void (*spoil)(const fs::path &); } cases[] = {
        {"data/main.bmp", [](const fs::path &d) { small_bmp(d / "main.bmp", SHEET_MIN_W - 1, SHEET_MIN_H); }},
        {"data/main2.bmp", [](const fs::path &d) { small_bmp(d / "main2.bmp", TITLE_MIN_W, TITLE_MIN_H - 1); }},
        {"data/gmsong.wav", [](const fs::path &d) { fs::remove(d / "gmsong.wav"); }},
        {"data/effect.wav", [](const fs::path &d) { fs::resize_file(d / "effect.wav", 10); }},
        {"", [](const fs::path &) {}},  // left whole: it loads, and says at most one line
    };
    start_test_game(MODE_TITLE);  // brings the library up, then leaves the game empty
    stop_test_game();
    const fs::path root = fs::current_path();
    const ScratchDir dir;
    for (const auto &c : cases) {
        fs::copy(root / "data", dir / "data", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        c.spoil(dir / "data");
        fs::current_path(dir.path);
        testing::internal::CaptureStderr();
        const bool ok = load_assets(MODE_TITLE);
        const std::string message = testing::internal::GetCapturedStderr();
        fs::current_path(root);
        stop_test_game();
        EXPECT_EQ(ok, !*c.file) << message;
        EXPECT_NE(message.find(c.file), message.npos) << message;
        EXPECT_EQ(message.find('\n'), message.size() - 1) << message;
    }
}
