#include "support/harness.h"

// The template's cursor anchor is row 1, column 1: with the view at the bottom
// the cursor lies over cell (257 + off_y / 10, 1 + off_x / 10).
struct Editor : GameIn<MODE_EDITOR> {
    static void place(int brush, int off_x = 0, int off_y = 0) {
        game.brush = brush, game.cursor_off_x = off_x, game.cursor_off_y = off_y, game.place_request = ON;
        step_world();
    }
};

TEST_F(Editor, HoldingEnterPlacesOncePerFrameNumberingStopsBelowTheNextRangeAndNothingLandsPastTheGrid) {
    game.brush = BRUSH_WALKER;
    run_frames(5, {KEY_ENTER});
    run_frames(1);  // the request of the last held frame is served by the next walk
    EXPECT_EQ((std::pair{game.grid[257][1], game.next_walker_code}), (std::pair{8, 9}));
    const struct { int brush; int32_t *next; int last; } cases[] = {{BRUSH_WALKER, &game.next_walker_code, 103},
        {BRUSH_RIGHT_TURRET, &game.next_right_turret_code, 153}, {BRUSH_LEFT_TURRET, &game.next_left_turret_code, 203}};
    for (const auto &c : cases) {
        *c.next = c.last;
        place(c.brush);
        place(c.brush, 10);  // the range is used up: nothing is written, the request is still served
        EXPECT_EQ((std::tuple{game.grid[257][1], game.grid[257][2], *c.next}), (std::tuple{c.last, 0, c.last + 1}));
    }
    // The grid's far corner takes the brush; a cursor one cell past either far
    // edge writes nothing anywhere.
    std::memcpy(game.grid, anchored_grid(), sizeof game.grid);  // no walker or turret to step
    place(BRUSH_BLOCK, 310, 310);
    EXPECT_EQ(game.grid[288][32], CELL_BLOCK);
    static GameState before;
    for (auto [off_x, off_y, row, col] : {std::array{320, 0, 257, 33}, std::array{0, 320, 289, 1}}) {
        game.cursor_off_x = off_x, game.cursor_off_y = off_y, game.place_request = ON;
        copy_of_game(before);
        step_world();
        EXPECT_EQ((std::pair{game.cursor_row, game.cursor_col}), (std::pair{row, col}));
        game.cursor_row = before.cursor_row, game.cursor_col = before.cursor_col, game.place_request = ON;
        EXPECT_TRUE(game_equals(before)) << "cursor at (" << row << ", " << col << ")";
    }
}

// The cursor previews its brush over its cell until the cell of its own anchor is erased.
TEST_F(Editor, PreviewsTheBrushAtFullSizeOverTheCellUntilItsOwnAnchorIsErased) {
    const SpriteName previews[] = {SPR_CURSOR, SPR_BLOCK, SPR_WALKER_LEFT, SPR_RIGHT_TURRET, SPR_LEFT_TURRET};
    for (int brush = BRUSH_ERASE; brush <= BRUSH_LAST; ++brush) {
        game.brush = brush, game.cursor_off_x = game.cursor_off_y = 100;  // cell (267, 11), at (110, 110)
        clear_bitmap(game.back_buffer);
        step_world();
        EXPECT_TRUE(shows_sprite(previews[brush], 110, 110)) << "brush " << brush;
    }
    set_scroll_y(100);
    place(BRUSH_BLOCK, 0, -20);  // row 9, above what the editor's view shows
    EXPECT_EQ(game.grid[9][1], CELL_BLOCK);
    place(BRUSH_ERASE, 0, -100);
    EXPECT_EQ((std::tuple{game.cursor_row, game.cursor_col, game.grid[1][1]}), (std::tuple{1, 1, CELL_EMPTY}));
    clear_bitmap(game.back_buffer);
    place(BRUSH_BLOCK);
    EXPECT_EQ(game.place_request, ON);  // nobody is left to serve it, so nothing can be placed
    EXPECT_FALSE(any_drawn(0, 0, VIEW_W, VIEW_H));
}
