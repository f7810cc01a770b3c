// Checks of what a frame drew into back_buffer. The failures say where the
// frame differs, with both colours.
#pragma once

#include <allegro.h>
#include <gtest/gtest.h>

#include "assets/atlas.h"

// True when the w x h rectangle at (x, y) of back_buffer holds any colour but black.
bool any_drawn(int x, int y, int w, int h);

// back_buffer holds the same pixels as `want`, a window-sized picture, over the
// w x h rectangle at (x, y), and `want` is not all black there.
testing::AssertionResult shows_picture(BITMAP *want, int x, int y, int w, int h);

// back_buffer shows sprite `name` at (x, y) exactly as it looks drawn alone on
// black, over the part of its area that lies in the window from row `from_y`
// down (to leave out the score line), and that part is not all black.
testing::AssertionResult shows_sprite(SpriteName name, int x, int y, int from_y = 0);
