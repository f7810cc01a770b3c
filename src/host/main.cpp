// The game's entry point; START_MODE picks the game (title screen) or the editor.
#include <allegro.h>
#include <cstdlib>

#include "core/constants.h"
#include "host/arguments.h"
#include "host/startup.h"

int main(int argc, char **argv) {
    const int status = take_arguments(START_MODE, argc, argv);
    std::exit(status == ARGUMENTS_TAKEN ? run_game(START_MODE) : status);
}
END_OF_MAIN()
