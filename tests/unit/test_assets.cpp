#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "assets/atlas.h"
#include "shell/shell.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {
constexpr int MASK = 0xFF00FF;

int rgb(BITMAP *b, int x, int y) {
    int c = getpixel(b, x, y);
    return (getr(c) << 16) | (getg(c) << 8) | getb(c);
}

// Counts the pixels of a region in the mask colour.
int mask_pixels(const SpriteRegion &r) {
    BITMAP *b = r.source == SHEET ? game.sprite_sheet : game.title_art;
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) n += rgb(b, x, y) == MASK;
    return n;
}

class Assets : public ::testing::Test {
protected:
    void SetUp() override {
        start_headless(MODE_TITLE);
        ASSERT_TRUE(game.sprite_sheet && game.title_art && game.music_sample);
    }
    void TearDown() override { stop_headless(); }
};
}  // namespace

// A picture is really there, the mask colour came through the file exactly
// (sprites have see-through parts), and the block and the opaque regions are solid.
TEST_F(Assets, EveryRegionIsInsideItsBitmapAndHoldsAPicture) {
    for (int n = 0; n < SPR_COUNT; ++n) {
        const SpriteRegion &r = ATLAS[n];
        BITMAP *b = r.source == SHEET ? game.sprite_sheet : game.title_art;
        ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= b->w && r.y + r.h <= b->h) << "region " << n;
        const int clear = mask_pixels(r);
        EXPECT_LT(clear, r.w * r.h) << "region " << n << " is empty";
        if (!r.masked || n == SPR_BLOCK) {
            EXPECT_EQ(clear, 0) << "region " << n << " has holes";
        } else {
            EXPECT_GT(clear, 0) << "region " << n << " has no see-through part";
        }
    }
}

// Where two different regions overlap (neighbouring death frames share a
// column), the shared pixels must be see-through, or one frame shows a sliver of the other.
TEST_F(Assets, OverlappingRegionsShareOnlySeeThroughPixels) {
    for (int a = 0; a < SPR_COUNT; ++a)
        for (int o = a + 1; o < SPR_COUNT; ++o) {
            const SpriteRegion &p = ATLAS[a], &q = ATLAS[o];
            if (p.source != q.source || (p.x == q.x && p.y == q.y && p.w == q.w && p.h == q.h)) continue;
            SpriteRegion both = {p.source, std::max(p.x, q.x), std::max(p.y, q.y), 0, 0, true};
            both.w = std::min(p.x + p.w, q.x + q.w) - both.x;
            both.h = std::min(p.y + p.h, q.y + q.h) - both.y;
            if (both.w <= 0 || both.h <= 0) continue;
            EXPECT_EQ(mask_pixels(both), both.w * both.h) << a << " and " << o;
        }
}

// The score line is printed over the corner of the title pictures.
TEST_F(Assets, TitlePicturesKeepTheScoreCornerPlain) {
    for (int picture : {0, VIEW_W})
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 150; ++x)
                ASSERT_EQ(rgb(game.title_art, picture + x, y), rgb(game.title_art, picture, 0));
}

TEST_F(Assets, FrameDrawersDrawOnlyTheirOwnRange) {
    const struct {
        void (*draw)(int32_t, int32_t, int32_t);
        int count;
    } drawers[] = {{draw_ship_frame, 2},
                   {draw_walker, DIR_DOWN},
                   {draw_walker_death_frame, DEATH_FRAMES},
                   {draw_explosion_frame, EXPLOSION_FRAMES},
                   {draw_wreck_frame, WRECK_FRAMES}};
    for (const auto &d : drawers) {
        for (int f = 1; f <= d.count; ++f) {
            clear_bitmap(game.back_buffer);
            d.draw(f, 100, 100);
            EXPECT_TRUE(any_drawn(100, 100, 40, 40)) << "frame " << f << " of " << d.count;
        }
        clear_bitmap(game.back_buffer);
        for (int f : {-1, 0, d.count + 1, 1000}) d.draw(f, 100, 100);
        EXPECT_FALSE(any_drawn(0, 0, VIEW_W, VIEW_H)) << "drawer with " << d.count << " frames";
    }
}

TEST_F(Assets, SpritesAtTheEdgesAreClippedNotWrapped) {
    draw_wreck_frame(1, 310, 100);  // a wreck sliding off the right edge
    EXPECT_TRUE(any_drawn(310, 100, 10, 32));
    EXPECT_FALSE(any_drawn(0, 95, 300, 45));
    clear_bitmap(game.back_buffer);
    draw_explosion_frame(5, -20, -20);
    draw_walker(DIR_DOWN, 300, 300);
    draw_ship_frame(1, 5000, -5000);
    EXPECT_TRUE(any_drawn(0, 0, 10, 14));
    EXPECT_TRUE(any_drawn(300, 300, 20, 20));
    EXPECT_FALSE(any_drawn(20, 20, 270, 270));
}

TEST_F(Assets, SoundsAre16BitMonoAndTheMusicLoopsWithoutAJump) {
    for (SAMPLE *s : {game.shot_sample, game.hit_sample, game.music_sample}) {
        EXPECT_EQ(s->bits, 16);
        EXPECT_EQ(s->stereo, 0);
    }
    EXPECT_LT(game.shot_sample->len, game.shot_sample->freq / 4u);
    const SAMPLE *m = game.music_sample;
    EXPECT_GE(m->len, 8u * m->freq);
    const auto *pcm = static_cast<const uint16_t *>(m->data);  // the library holds 16-bit samples offset by 0x8000
    EXPECT_LT(std::abs(int(pcm[m->len - 1]) - int(pcm[0])), 64);
}

namespace {
struct LoadResult {
    bool ok;
    std::string message;
};
using Spoiler = void (*)(const fs::path &data);

// Loads from a copy of data/ that `spoil` has damaged; the working directory is restored.
LoadResult load_spoiled(Spoiler spoil) {
    start_headless(MODE_TITLE);  // brings the library up, then leaves the game empty
    stop_headless();
    const fs::path root = fs::current_path(),
                   dir = fs::temp_directory_path() / ("upshot_assets_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(root / "data", dir / "data");
    spoil(dir / "data");
    fs::current_path(dir);
    start_mode = MODE_TITLE;
    testing::internal::CaptureStderr();
    const bool ok = load_assets();
    std::string message = testing::internal::GetCapturedStderr();
    fs::current_path(root);
    fs::remove_all(dir);
    stop_headless();
    return {ok, message};
}

void small_bmp(const fs::path &path, int w, int h) {
    BITMAP *b = create_bitmap(w, h);
    clear_bitmap(b);
    PALETTE palette = {};
    save_bmp(path.c_str(), b, palette);
    destroy_bitmap(b);
}
}  // namespace

TEST(AssetLoading, AMissingOrBadFileFailsWithOneLineNamingIt) {
    const struct {
        const char *file;
        Spoiler spoil;
    } cases[] = {
        {"data/main.bmp", [](const fs::path &d) { small_bmp(d / "main.bmp", 10, 10); }},
        {"data/main2.bmp", [](const fs::path &d) { small_bmp(d / "main2.bmp", 320, 320); }},
        {"data/gmsong.wav", [](const fs::path &d) { fs::remove(d / "gmsong.wav"); }},
        {"data/effect.wav", [](const fs::path &d) { fs::resize_file(d / "effect.wav", 10); }},
    };
    for (const auto &c : cases) {
        const LoadResult r = load_spoiled(c.spoil);
        EXPECT_FALSE(r.ok) << c.file;
        EXPECT_NE(r.message.find(c.file), std::string::npos) << r.message;
        EXPECT_EQ(std::count(r.message.begin(), r.message.end(), '\n'), 1) << r.message;
    }
    EXPECT_TRUE(load_spoiled([](const fs::path &) {}).ok);
}
