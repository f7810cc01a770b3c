// What keeps a designer's work safe in the windowed editor, around its frames:
//
// - One editor per level: a second one on the same file, through any path or
//   link, says which process has it and does not start.
// - The recovery file, FILE.recover beside the level file (level.txt.recover
//   without FILE), in the level-text layout of a save; the editor's own,
//   created by it alone (mode 0600, never through a link). When anything else
//   stands there it is left alone, and the edits go to a file named after the
//   level in the user's state folder. While the grid differs from what was
//   last saved or opened, a forked child rewrites it at most
//   RECOVERY_REFRESH_NS after an edit, and it is written once more whenever
//   the editor ends: by Escape, the close button, SIGINT, SIGTERM, SIGHUP or
//   the loss of the X server. A save removes it, and so does leaving with
//   nothing unsaved. The next start offers it back.
// - Right Shift's save, once a press: written beside the level in the frame's
//   idle time, flushed and renamed over the level by a child.
// - The proof of every save: once right Shift is let go, the prover (found
//   beside the editor) plays the saved file in a child of its own, niced, and
//   prints one line on stderr; a newer save stops a proof still running.
//
// The replay tool and the tests run none of this: their right Shift saves with
// write_level_text alone, in every frame the key is held. The windowed editor
// puts editor_save in its place (set_editor_save).
#pragma once

#include <cstdint>

constexpr int64_t RECOVERY_REFRESH_NS = 3000000000LL;

// Before the window opens: takes the level for this editor, or says which
// process has it and ends the program (status 1). Then a recovery file newer
// than the level is read and checked, and opened instead of the level once
// the editor starts. Says in one line what it found, and where the edits go
// when that is not FILE.recover.
void find_recovery();
// After start-up, before the first frame: notes the grid as opened, puts a
// recovered grid in its place, and hooks the signals and the X server's loss.
void begin_editing();
// Right Shift: the export. In the windowed editor, a save started in the
// next frame, once a press.
void editor_save();
// Once a frame, in the idle time before the keys are read: reaps children,
// starts a save, refreshes the recovery file, removes it after a save,
// starts a proof. Nothing before begin_editing.
void tend_editing();
// Leaving by Escape or the close button: stops a proof, lets a save finish,
// writes or removes the recovery file. When the edits could be kept nowhere,
// ends the program with status 1, one line having said so.
void end_editing();
