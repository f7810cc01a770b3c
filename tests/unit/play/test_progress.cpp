#include "support/harness.h"

// In play (never in the editor) the level ends with the view at row 10 or above,
// where a push can carry it; the old level is still drawn, then 5 wraps to 2.
TEST(LevelProgress, TheTopOfALevelBringsTheNextFromItsBottom) {
    const struct { int level, top_row, next, mode = MODE_PLAY; } cases[] = {
        {2, 10, 3}, {5, 10, 2}, {4, -500, 5}, {3, 11, 3}, {3, 10, 3, MODE_EDITOR}};
    for (const auto &c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level) + " at row " + std::to_string(c.top_row));
        const Running run(c.mode);
        game.level_number = c.level;
        game.score.digit[2] = 4;
        game.ship_frame = 1;
        set_scroll_y(c.top_row * 10);
        const bool in_grid = c.top_row + 12 >= 0;  // a block of the old level at (50, 120) on the screen
        if (in_grid) game.grid[c.top_row + 12][5] = CELL_BLOCK;
        run_frames(1);
        EXPECT_EQ(static_cast<bool>(shows_sprite(SPR_BLOCK, 50, 120)), in_grid);
        const bool ended = c.next != c.level;
        EXPECT_EQ((std::tuple{game.level_number, game.mode, game.scroll_y, game.score.digit[2]}),
                  (std::tuple{c.next, c.mode, ended ? 2560 : c.top_row * 10, 4}));
        if (ended) {  // a reset, and the next level loaded
            EXPECT_EQ(game.ship_frame, SHIP_NO_FRAME);
            EXPECT_TRUE(grid_holds_level(c.next));
        }
    }
}
