#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "assets/atlas.h"
#include "assets/assets.h"
#include "shell/shell.h"
#include "support.h"

namespace fs = std::filesystem;

// Counts the pixels of the w x h area at (x, y) of b in the colour that masked_blit leaves out.
static int mask_pixels(BITMAP *b, int x, int y, int w, int h) {
    int n = 0;
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx) n += getpixel(b, xx, yy) == bitmap_mask_color(b);
    return n;
}

struct Assets : ::testing::Test {
    void SetUp() override { start_test_game(MODE_TITLE); ASSERT_TRUE(game.music_sample); }  // loaded last
    void TearDown() override { stop_test_game(); }
};

// A picture is really there, the mask colour came through the file exactly
// (sprites have see-through parts), and the block and the opaque regions are
// solid. Where two regions overlap (neighbouring death frames share a column),
// the shared pixels must be see-through, or one frame shows a sliver of the other.
TEST_F(Assets, EveryRegionHoldsItsOwnPictureAndTheTitlesKeepTheScoreCornerPlain) {
    for (int n = 0; n < SPR_COUNT; ++n) {
        const SpriteRegion &r = ATLAS[n];
        BITMAP *b = r.source == SHEET ? game.sprite_sheet : game.title_art;
        ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= b->w && r.y + r.h <= b->h) << "region " << n;
        const int clear = mask_pixels(b, r.x, r.y, r.w, r.h);
        EXPECT_LT(clear, r.w * r.h) << "region " << n << " is empty";
        EXPECT_EQ(clear > 0, r.masked && n != SPR_BLOCK) << "region " << n << " has holes, or no see-through part";
        for (int o = n + 1; o < SPR_COUNT; ++o) {
            const SpriteRegion &q = ATLAS[o];
            if (r.source != q.source || (r.x == q.x && r.y == q.y && r.w == q.w && r.h == q.h)) continue;
            const int x = std::max(r.x, q.x), y = std::max(r.y, q.y);
            const int w = std::min(r.x + r.w, q.x + q.w) - x, h = std::min(r.y + r.h, q.y + q.h) - y;
            EXPECT_TRUE(w <= 0 || h <= 0 || mask_pixels(b, x, y, w, h) == w * h) << n << " and " << o;
        }
    }
    // The score line is printed over the corner of both title pictures.
    for (int picture : {0, VIEW_W})
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 150; ++x)
                ASSERT_EQ(getpixel(game.title_art, picture + x, y), getpixel(game.title_art, picture, 0));
}

TEST_F(Assets, FrameDrawersDrawOnlyTheirOwnRangeAndNoSeeThroughColour) {
    const struct { void (*draw)(int32_t, int32_t, int32_t); int count; } drawers[] = {{draw_ship_frame, 2},
        {draw_walker, DIR_DOWN}, {draw_walker_death_frame, DEATH_FRAMES}, {draw_explosion_frame, EXPLOSION_FRAMES},
        {draw_wreck_frame, WRECK_FRAMES}};
    for (const auto &d : drawers)
        for (int f = 0; f <= d.count + 1; ++f) {
            clear_bitmap(game.back_buffer);
            d.draw(f, 100, 100);
            EXPECT_EQ(any_drawn(0, 0, VIEW_W, VIEW_H), f >= 1 && f <= d.count) << "frame " << f << " of " << d.count;
            EXPECT_EQ(mask_pixels(game.back_buffer, 0, 0, VIEW_W, VIEW_H), 0);  // the see-through parts stay out
        }
}

TEST_F(Assets, SoundsAre16BitMonoAndTheMusicLoopsWithoutAJump) {
    for (SAMPLE *s : {game.shot_sample, game.hit_sample, game.music_sample}) EXPECT_TRUE(s->bits == 16 && !s->stereo);
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
    const fs::path root = fs::current_path(),
                   dir = fs::temp_directory_path() / ("upshot_assets_" + std::to_string(getpid()));
    fs::create_directories(dir);
    for (const auto &c : cases) {
        fs::copy(root / "data", dir / "data", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        c.spoil(dir / "data");
        fs::current_path(dir);
        testing::internal::CaptureStderr();
        const bool ok = load_assets();
        const std::string message = testing::internal::GetCapturedStderr();
        fs::current_path(root);
        stop_test_game();
        EXPECT_EQ(ok, !*c.file) << message;
        EXPECT_TRUE(message.find(c.file) != message.npos && message.find('\n') == message.size() - 1) << message;
    }
    fs::remove_all(dir);
}
