// The game's entry point; START_MODE picks the game (title screen) or the editor.
#include <allegro.h>
#include <cstdlib>

#include "game_state.h"
#include "startup.h"

int main() {
    start_mode = START_MODE;
    std::exit(run_game());
}
END_OF_MAIN()
