// What the window needs from the library's X11 driver and Unix port that
// their public interface does not offer. Without the first two a frame waits
// in Xlib's output queue, and a key in the input queue, until a background
// thread wakes to send and read them; both do nothing when the screen is not
// an X window.
#pragma once

// Sends the whole screen, written straight into its lines, to the X server in
// one update and returns once the server has it, so it reaches the screen now
// and is not overwritten while still on its way.
void send_frame_to_display();

// Has the library take in the X input waiting now (keys, focus, the close
// button) as its background thread would, so that key[] is up to date.
void take_pending_input();

// Calls `last_words` when the connection to the X server is lost (the server
// ended or was killed), on whichever thread found it out, then ends the
// program with status 1 as Xlib would, but without the library's shutdown,
// which can wait forever on the connection that is gone.
void on_display_lost(void (*last_words)());

// The library's Unix port runs its drivers' background work (the X input
// handler, the sound driver topping up the sound card's buffer) from a thread
// that wakes every millisecond and does that work every 10 ms: a thousand
// wake-ups a second, mostly to find nothing to do. This puts a manager of the
// game's own in the library's place; call it before install_allegro. The work
// the library sets up while it starts, before display_started_up, is the
// display's input handler: take_pending_input does that once a frame, so the
// manager never runs it. What is set up afterwards (the sound driver's) runs
// on a thread of the manager's every 10 ms, as the library ran it; with none,
// there is no thread.
void quiet_library_background();
void display_started_up();
