#include "support/harness.h"

bool any_drawn(int x, int y, int w, int h) {
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx)
            if ((getpixel(game.back_buffer, xx, yy) & 0xffffff) != 0) return true;
    return false;
}

testing::AssertionResult shows_picture(BITMAP *want, int x, int y, int w, int h) {
    bool visible = false;
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx) {
            const int shown = getpixel(game.back_buffer, xx, yy), wanted = getpixel(want, xx, yy);
            if (shown != wanted)
                return testing::AssertionFailure()
                       << "pixel (" << xx << ", " << yy << ") is 0x" << std::hex << shown << ", not 0x" << wanted;
            visible = visible || (wanted & 0xffffff) != 0;
        }
    if (!visible) return testing::AssertionFailure() << "the picture is all black in the area checked";
    return testing::AssertionSuccess();
}

testing::AssertionResult shows_sprite(SpriteName name, int x, int y, int from_y) {
    BITMAP *frame = game.back_buffer;
    BITMAP *alone = create_bitmap(VIEW_W, VIEW_H);
    clear_bitmap(alone);
    game.back_buffer = alone;
    draw_sprite_region(name, x, y);
    game.back_buffer = frame;
    const SpriteRegion &r = ATLAS[name];
    const int x0 = std::max(x, 0), y0 = std::max(y, from_y);
    const int x1 = std::min(x + r.w, VIEW_W), y1 = std::min(y + r.h, VIEW_H);
    testing::AssertionResult shown = shows_picture(alone, x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0));
    destroy_bitmap(alone);
    return shown;
}
