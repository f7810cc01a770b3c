// The game's entry point; START_MODE picks the game (title screen) or the editor.
#include <allegro.h>
#include <cstdlib>

#include "core/constants.h"
#include "shell/startup.h"

int main() { std::exit(run_game(START_MODE)); }
END_OF_MAIN()
