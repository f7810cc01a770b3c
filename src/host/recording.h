// Recording a run of the window as an upshot-replay script, and playing such a
// script back in the window.
//
// A recording starts the game as upshot-replay does, with the clock reading 0,
// and each frame reads the clock once, at its start: the reading is pinned for
// the whole frame, so the reset that S or a level end makes late in the frame
// seeds from the same second as the frame's world did, and a `clock` line
// before the frame's `frames` line says it all. The keys are those key[] holds
// after the frame's poll (the close button already turned into Escape), the
// ones every later step of the frame and the next frame's world read. The
// lines go to the file straight after each present, in the idle time before
// the keys are read: the file is at most a second behind the game (the clock
// line that ends every second ends the run of frames before it).
#pragma once

#include <cstdint>
#include <string>

#include "play/play.h"

// Takes FILE as this run's recording, with the level file played (or null)
// and the checksum of its bytes as read. Nothing is written yet: once the
// window is open FILE is emptied or made, and its first lines say what made
// it, then `level LEVEL CHECKSUM` when a level file is played. False, having
// said why in one line on stderr, when FILE cannot be written, is not a
// regular file, is the level file, or holds something other than a recording.
bool open_recording(const char *path, const char *level_path, uint64_t level_checksum);

// Reads the recording at `path` through once, checking every line, and takes
// its level file. False, having said what is wrong in one line on stderr.
bool open_watching(const char *path);

// A level file named in a recording: the file must still hold the text whose
// checksum was recorded. Then it is the one played in level 2's place.
// Otherwise false, with `error` naming the file (and the line) as a level
// text's faults are named: "PATH:LINE: words".
bool take_recorded_level(const char *path, uint64_t checksum, std::string &error);

// The window's frame loop around these, in run_game: before start-up; before
// each frame (false when a played-back recording has ended); the frame's
// hooks, around the window's own; and once after the last frame. Without a
// recording or a playback they change nothing and the hooks are the window's.
void before_start();
bool before_frame();
const FramePlatform &frame_platform(const FramePlatform &window_hooks);
void after_run();
