// What the build knows and the programs need at run time: the version, and
// where the pictures and sounds were put (written by CMake into the build's
// generated/build_info.cpp).
#pragma once

// The one version number of the build, e.g. "1.0.0".
extern const char UPSHOT_VERSION[];
// The installed data folder, relative to the installation's prefix
// (e.g. "share/games/upshot"), and how many folders deep the programs are
// installed under that prefix (1 for "games").
extern const char INSTALLED_DATA_FOLDER[];
extern const int INSTALLED_PROGRAM_DEPTH;
// The data/ folder of the source tree the build compiled.
extern const char SOURCE_DATA_FOLDER[];

// Prints "PROGRAM VERSION" on stdout, as --version answers.
void print_version(const char *program);
