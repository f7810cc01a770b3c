// What keeps a designer's work safe in the windowed editor, around its frames:
//
// - The recovery file, FILE.recover beside the level file (level.txt.recover
//   without FILE), in the level-text layout of a save. While the grid differs
//   from what was last saved or opened, a forked child rewrites it at most
//   RECOVERY_REFRESH_NS after an edit, and it is written once more whenever
//   the editor ends: by Escape, the close button, SIGINT, SIGTERM, SIGHUP or
//   the loss of the X server. A save removes it, and so does leaving with
//   nothing unsaved. The next start offers it back.
// - The proof of every save: once right Shift is let go, the prover (found
//   beside the editor) plays the saved file in a child of its own, niced, and
//   prints one line on stderr; a newer save stops a proof still running.
//
// The replay tool and the tests run none of this: they save with save_level
// alone, and that counts and writes exactly what right Shift always did.
#pragma once

#include <cstdint>

constexpr int64_t RECOVERY_REFRESH_NS = 3000000000LL;

// Before the window opens: a recovery file newer than the level is read and
// checked, and opened instead of the level once the editor starts. Says in one
// line what it found.
void find_recovery();
// After start-up, before the first frame: notes the grid as opened, puts a
// recovered grid in its place, and hooks the signals and the X server's loss.
void begin_editing();
// Right Shift: the export, noted as the grid last saved when it succeeds.
void save_level();
// Once a frame, in the idle time before the keys are read: reaps children,
// refreshes the recovery file, removes it after a save, starts a proof.
// Nothing before begin_editing.
void tend_editing();
// Leaving by Escape or the close button: stops a proof, writes or removes the
// recovery file.
void end_editing();
