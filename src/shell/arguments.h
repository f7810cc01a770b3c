// The command lines of the game and the editor. Without arguments the programs
// run exactly as built; with them:
//
//   upshot --level FILE     plays FILE in level 2's place: first after S
//   upshot-editor FILE      edits FILE (a new empty level if it does not exist)
//                           and right Shift writes it back
//   upshot --record FILE    plays as always and writes the run to FILE as it goes
//   upshot --watch FILE     shows the run recorded in FILE
//   --scale N|auto          (both) a window N times as wide and high
//   --help, --version       (both) answer on stdout and end
//
// A level file is read and checked, a recording opened or read through, before
// any window opens.
#pragma once

// take_arguments's answer when the program should go on and run.
constexpr int ARGUMENTS_TAKEN = -1;

// Reads the arguments of the program whose start mode is `mode`. Returns
// ARGUMENTS_TAKEN, or the status to exit with: 0 after --help or --version,
// 2 after a usage line or a one-line error naming what is wrong (for a level
// file, the file, its line and the rule broken).
int take_arguments(int mode, int argc, char **argv);
