// Saving a file so that it is on the disk when the call returns and is never
// seen half written: the new text goes to a temporary file beside the target,
// which is flushed to the disk and renamed over the target, and then the
// folder is flushed so that the rename is on the disk too. A crash or a full
// disk at any point leaves either the old file whole or the new one.
//
// A replacement can be made in two halves: begin_replace writes the temporary
// file, and finish_replace, which holds the slow flushes, may then run in a
// forked child while the caller goes on.
//
// Only async-signal-safe calls are made, so a signal handler, the X server's
// last words or a forked child can save with it too.
#pragma once

#include <climits>
#include <cstddef>
#include <sys/stat.h>
#include <sys/types.h>

// What went wrong: the step (a fixed phrase such as "write") and its errno,
// or 0 when the step says it all.
struct SaveFailure {
    const char *step;
    int error;
};

// Which file a name stands for; {0, 0} for none.
struct FileId {
    dev_t dev;
    ino_t ino;
};
inline FileId id_of(const struct stat &st) { return {st.st_dev, st.st_ino}; }
inline bool same_file(const FileId &a, const FileId &b) { return a.dev == b.dev && a.ino == b.ino; }

// A replacement between its halves.
struct Replacement {
    char target[PATH_MAX];  // where the text goes
    char temp[PATH_MAX];    // the temporary file beside it
    char folder[PATH_MAX];  // the folder of both
    int fd;                 // the temporary file, open for reading and writing
    FileId written;         // the temporary file, which becomes the target
    bool own;               // a program's own file: see begin_own_replace
    FileId replaces;        // for an own file, the one it may replace
};

// Replaces the file at `path` with `size` bytes of `data`. A symbolic link is
// followed (a link stays a link and its target gets the new text). A new file
// gets the mode a plain create gives (0666 less the umask); an existing one
// keeps its mode, and its owner and group as far as the user may give them
// (the group at least, when the user is in it). A file that nobody may write,
// or this user may not, is read-only and is not replaced. On failure the old
// file is as it was, the temporary file is gone, `failure` says why and the
// result is false.
bool replace_file(const char *path, const char *data, size_t size, SaveFailure &failure);

// The first half of replace_file: the temporary file written, not yet flushed.
// On failure nothing is left behind.
bool begin_replace(const char *path, const char *data, size_t size, Replacement &replacement, SaveFailure &failure);
// The first half of a replacement of a program's own file, which nobody else
// may aim anywhere: `path` is never followed if it is a link, the file gets mode
// 0600, and it replaces only the file `replaces` (when that still stands at
// `path`) or takes a name where nothing stands, never anything else.
bool begin_own_replace(const char *path, FileId replaces, const char *data, size_t size, Replacement &replacement,
                       SaveFailure &failure);
// The second half: flushed, put in place, the folder flushed. The temporary
// file stays open (the caller closes replacement.fd), so that a lock on it
// lasts; on failure it is removed.
bool finish_replace(Replacement &replacement, SaveFailure &failure);

// Where a save of `path` writes: the end of its chain of links.
bool save_target(const char *path, char (&target)[PATH_MAX], SaveFailure &failure);

// The words for the failure's errno; null when the step says it all.
const char *failure_reason(const SaveFailure &failure);
// "PROGRAM: cannot save PATH: STEP: REASON", one line on standard error.
void print_save_failure(const char *path, const SaveFailure &failure);
