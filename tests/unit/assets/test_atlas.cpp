#include "support/harness.h"

// Counts the pixels of the w x h area at (x, y) of b in the colour that masked_blit leaves out.
static int mask_pixels(BITMAP *b, int x, int y, int w, int h) {
    int n = 0;
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx) n += getpixel(b, xx, yy) == bitmap_mask_color(b);
    return n;
}

using Atlas = GameIn<MODE_TITLE>;

// A picture is really there, the mask colour came through the file exactly
// (sprites have see-through parts), and the block and the opaque regions are
// solid. Where two regions overlap (neighbouring death frames share a column),
// the shared pixels must be see-through, or one frame shows a sliver of the other.
TEST_F(Atlas, EveryRegionHoldsItsOwnPictureAndTheTitlesKeepTheScoreCornerPlain) {
    for (int n = 0; n < SPR_COUNT; ++n) {
        const SpriteRegion &r = ATLAS[n];
        BITMAP *b = r.source == SHEET ? game.sprite_sheet : game.title_art;
        SCOPED_TRACE(testing::Message() << "region " << n);
        ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= b->w && r.y + r.h <= b->h) << "outside its picture";
        const int clear = mask_pixels(b, r.x, r.y, r.w, r.h);
        EXPECT_LT(clear, r.w * r.h) << "the region is empty";
        EXPECT_EQ(clear > 0, r.masked && n != SPR_BLOCK) << "the region has holes, or no see-through part";
        for (int o = n + 1; o < SPR_COUNT; ++o) {
            const SpriteRegion &q = ATLAS[o];
            if (r.source != q.source || (r.x == q.x && r.y == q.y && r.w == q.w && r.h == q.h)) continue;
            const int x = std::max(r.x, q.x), y = std::max(r.y, q.y);
            const int w = std::min(r.x + r.w, q.x + q.w) - x, h = std::min(r.y + r.h, q.y + q.h) - y;
            if (w <= 0 || h <= 0) continue;
            EXPECT_EQ(mask_pixels(b, x, y, w, h), w * h) << "shared with region " << o;
        }
    }
    // The score line is printed over the corner of both title pictures.
    for (int picture : {0, VIEW_W})
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 150; ++x)
                ASSERT_EQ(getpixel(game.title_art, picture + x, y), getpixel(game.title_art, picture, 0));
}

TEST_F(Atlas, FrameDrawersDrawOnlyTheirOwnRangeAndNoSeeThroughColour) {
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
