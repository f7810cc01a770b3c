// The command lines of the game and the editor. Without arguments the programs
// run exactly as built; with them:
//
//   upshot --level FILE     plays FILE in level 2's place: first after S
//   upshot-editor FILE      edits FILE (a new empty level if it does not exist)
//                           and right Shift writes it back
//   upshot --record FILE    plays and writes the run to FILE as it goes
//   upshot --watch FILE     shows the run recorded in FILE
//   --scale N|auto          (both) a window N times as wide and high
//   --help, --version       (both) answer on stdout and end
//
// `--opt=VALUE` is `--opt VALUE`, and after `--` every word is a FILE. A
// level file is read and checked, a recording read through or the file that
// will take one looked at, before any window opens.
#pragma once

// The window's scales that --scale offers: 1 to LARGEST_SCALE, or SCALE_AUTO
// for the largest that fits the desktop.
constexpr int SCALE_AUTO = 0;
constexpr int LARGEST_SCALE = 8;

// The command line: each option's value as given, or null, and the scale
// once --scale is taken.
struct Options {
    const char *level = nullptr;   // --level FILE
    const char *scale = nullptr;   // --scale N|auto
    const char *record = nullptr;  // --record FILE
    const char *watch = nullptr;   // --watch FILE
    const char *file = nullptr;    // the editor's FILE
    int window_scale = 1;
};

// take_arguments's answer when the program should go on and run.
constexpr int ARGUMENTS_TAKEN = -1;

// Reads the arguments of the program whose start mode is `mode` into
// `options`, then takes them in this order: the level file (which a recording
// names), the scale, the recording or the one to watch, the editor's file.
// Returns ARGUMENTS_TAKEN, or the status to exit with: 0 after --help or
// --version, 2 after a line naming what is wrong (an unknown, repeated or
// clashing option, with the usage line after it; for a level file, the file,
// its line and the rule broken).
int take_arguments(int mode, int argc, char **argv, Options &options);

// The name of the program whose start mode is `mode`, which starts its messages.
const char *program_name(int mode);
