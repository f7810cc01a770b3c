// The sound calls of a replay, kept instead of played. A call repeated in every
// frame (the editor stops the music every frame) is kept as one run, so a long
// replay that never dumps does not grow without end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/sound.h"

class SoundLog {
public:
    // Records every call of the game from now on, stamped with the current frame.
    void install();
    void set_frame(int64_t frame) { frame_ = frame; }
    bool empty() const { return runs_.empty(); }
    void clear() { runs_.clear(); }
    // The calls as a JSON array: {"frame","sample","call"} and, for a play, vol, pan, freq, loop.
    void append_json(std::string &out) const;

private:
    struct Run {
        int64_t first_frame, frames;  // the same call once in each of these frames
        int sample;                   // index into the sample names
        SoundCall call;
    };
    static void record(const SoundCall &call);
    std::vector<Run> runs_;
    int64_t frame_ = 0;
};
