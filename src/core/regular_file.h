// Opening a file that the user named for reading, refusing anything that is
// not a regular file (a FIFO, a terminal, a device such as /dev/zero, a
// directory) before a byte is read: a read of those can block for ever or
// never end. And the folders a program writes into or starts from.
#pragma once

#include <climits>

// Opens `path` for reading with O_NONBLOCK and O_NOCTTY, so that naming a
// FIFO or a terminal can neither block nor take it over, and looks at what it
// is. Returns the descriptor (close-on-exec, blocking again) of a regular
// file. Otherwise returns -1 with `kind` saying what stands there ("is a
// FIFO"), or with `kind` null and errno set when it cannot be opened.
int open_regular_file(const char *path, const char *&kind);

// What a file of mode `st_mode` is when it is not a regular file ("is a
// directory"), or nullptr for a regular file.
const char *not_regular(unsigned st_mode);

// Whether a file can be made in the folder of `path` (its write and search
// permissions); errno says why not.
bool folder_takes_files(const char *path);

// The folder that holds the running program (from /proc/self/exe), without
// a final '/': where its data and the programs installed with it are found
// from. False, and `folder` empty, when the program cannot see its own path.
bool program_folder(char (&folder)[PATH_MAX]);
