// Folder play/, the top tier of the game's rules: the frame loop, the keys,
// the score line, the title screen and level progression.
//
// The steps of the frame loop, each a plain procedure over `game`.
#pragma once

#include <cstdint>
#include <vector>

// Score counter, score line and banner.
void carry_score();
void draw_hud();
void draw_banner();

// Title screen and its music.
void update_music();
void update_title();

// Level progression.
void check_level_end();

// Keys, applied once a frame after the poll.
void apply_keys();
void start_play();

// What right Shift does in the editor, in every frame it is held:
// write_level_text unless a program puts its own save in its place (the
// windowed editor's, host/editing.h).
void set_editor_save(void (*save)());

// Every key the frame loop reads (apply_keys, the world's handlers, Escape):
// all a recording keeps of the keyboard.
constexpr int READ_KEY_COUNT = 11;
extern const int READ_KEYS[READ_KEY_COUNT];

// The keys the next polls hand to the game, until changed, and the poll of a
// frame loop without a keyboard: key[] holds exactly those keys.
void set_held_keys(const std::vector<int> &keys);
void poll_held_keys();

// What the frame loop needs from the machine it runs on; the game uses the
// window, the keyboard and a steady clock, the replay tool memory and a script.
struct FramePlatform {
    void (*wait_retrace)();
    void (*present)();
    void (*poll)();
};

// The frame loop with no machine under it, for the programs and tests that
// run the game headless: no deadline to wait for, nothing to show, and the
// held keys (set_held_keys) polled.
extern const FramePlatform HEADLESS_PLATFORM;

// One iteration of the frame loop; false once Escape is held.
bool run_frame(const FramePlatform &platform);
