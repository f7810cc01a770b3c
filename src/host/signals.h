// The signals that end a program from outside as Escape ends it from the
// keyboard: Ctrl-C (SIGINT), kill (SIGTERM) and a closed terminal (SIGHUP).
// The game and the editor take them through the one list and installer here.
#pragma once

#include <csignal>

constexpr int ENDING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

// Points every ending signal at `handler`, which runs with all of them held
// back and restarts the calls it interrupts. A signal found ignored at the
// first call stays ignored (a background job of a script, nohup). The first
// call must come before the library starts: its start-up puts handlers of its
// own on SIGINT and SIGTERM, whatever it found there, that shut the library
// down behind the frame loop's back; a later call takes them back.
void take_ending_signals(void (*handler)(int));

// The game's handler: it only notes the signal. The frame loop looks at it
// between two frames and ends there as Escape would.
void note_ending_signal(int sig);
// The ending signal noted, or 0.
int ending_signal();

// Ends the process by `sig` itself, as if it had never been caught, so that
// the parent (a shell, a script) sees why it ended; stdio is flushed first.
[[noreturn]] void die_by_signal(int sig);
