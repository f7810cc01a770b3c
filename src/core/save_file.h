// Saving a file so that it is on the disk when the call returns and is never
// seen half written: the new text goes to a temporary file beside the target,
// which is flushed to the disk and renamed over the target, and then the
// folder is flushed so that the rename is on the disk too. A crash or a full
// disk at any point leaves either the old file whole or the new one.
//
// Only async-signal-safe calls are made, so a signal handler, the X server's
// last words or a forked child can save with it too.
#pragma once

#include <cstddef>

// What went wrong: the step (a fixed phrase such as "write") and its errno.
struct SaveFailure {
    const char *step;
    int error;
};

// Replaces the file at `path` with `size` bytes of `data`. A symbolic link is
// followed (a link stays a link and its target gets the new text). A new file
// gets the mode a plain create gives (0666 less the umask), an existing one
// keeps its own. On failure the old file is as it was, the temporary file is
// gone, `failure` says why and the result is false.
bool save_file(const char *path, const char *data, size_t size, SaveFailure &failure);

// "WHO: cannot save PATH: STEP: REASON", one line on standard error.
void print_save_failure(const char *who, const char *path, const SaveFailure &failure);
