// The game's entry point; START_MODE picks the game (title screen) or the editor.
//
// The windowed program is wired here: the command line, the window, the
// recording or the playback around the window's frame hooks, and in the
// editor the work that keeps a designer's edits safe.
#include <allegro.h>
#include <cstdlib>

#include "core/constants.h"
#include "host/arguments.h"
#include "host/editing.h"
#include "host/recording.h"
#include "host/signals.h"
#include "host/window.h"
#include "play/play.h"

namespace {

// The windowed game from start to end: start_window, the frame loop at 60
// frames a second until Escape or the close button (or the end of a recording
// played back, or an ending signal), stop_game. Returns the exit status; after
// an ending signal the program ends by that signal instead.
int run_game(int mode) {
    const bool editing = mode == MODE_EDITOR;
    before_start();
    if (editing) find_recovery();
    const StartStatus status = start_window(mode);
    if (status != START_OK) return status;
    if (editing) {
        begin_editing();
        set_idle_work(tend_editing);
        set_editor_save(editor_save);
    }
    const FramePlatform &platform = frame_platform(window_platform());
    while (!ending_signal() && before_frame() && run_frame(platform)) {
    }
    if (editing) end_editing();
    after_run();
    stop_game();
    if (const int sig = ending_signal()) {
        allegro_exit();
        die_by_signal(sig);
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    Options options;
    const int status = take_arguments(START_MODE, argc, argv, options);
    if (status != ARGUMENTS_TAKEN) std::exit(status);
    set_window_scale(options.window_scale);
    std::exit(run_game(START_MODE));
}
END_OF_MAIN()
