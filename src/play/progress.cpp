#include "reset/reset.h"
#include "core/game_state.h"
#include "play/play.h"

// At the top of a level the next one starts from its bottom: 2, 3, 4, 5, 2, ...
// Pushes can carry the view past row 10 between two tests, so any row at or
// above it ends the level; the view never climbs out of the grid.
void check_level_end() {
    if (game.mode == MODE_PLAY && game.top_row <= LEVEL_END_ROW) enter_level_after(game.level_number);
}
