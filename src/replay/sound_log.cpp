#include "sound_log.h"

#include "json.h"
#include "core/game_state.h"

namespace {
SoundLog *active = nullptr;
const char *const SAMPLE_NAMES[] = {"shot", "hit", "music", "unknown"};

int sample_index(const SAMPLE *s) {
    if (s && s == game.shot_sample) return 0;
    if (s && s == game.hit_sample) return 1;
    if (s && s == game.music_sample) return 2;
    return 3;
}

bool same_call(const SoundCall &a, const SoundCall &b) {
    return a.sample == b.sample && a.play == b.play && a.vol == b.vol && a.pan == b.pan && a.freq == b.freq &&
           a.loop == b.loop;
}
}  // namespace

void SoundLog::install() {
    active = this;
    set_sound_hook(record);
}

void SoundLog::record(const SoundCall &call) {
    SoundLog &log = *active;
    if (!log.runs_.empty()) {
        Run &last = log.runs_.back();
        if (same_call(last.call, call) && last.first_frame + last.frames == log.frame_) {
            ++last.frames;
            return;
        }
    }
    log.runs_.push_back({log.frame_, 1, sample_index(call.sample), call});
}

void SoundLog::append_json(std::string &out) const {
    out += '[';
    bool first = true;
    for (const Run &run : runs_) {
        for (int64_t f = run.first_frame; f < run.first_frame + run.frames; ++f) {
            if (!first) out += ',';
            first = false;
            out += "{\"frame\":";
            append_number(out, f);
            out += ",\"sample\":\"";
            out += SAMPLE_NAMES[run.sample];
            if (!run.call.play) {
                out += "\",\"call\":\"stop\"}";
                continue;
            }
            out += "\",\"call\":\"play\",\"vol\":";
            append_number(out, run.call.vol);
            out += ",\"pan\":";
            append_number(out, run.call.pan);
            out += ",\"freq\":";
            append_number(out, run.call.freq);
            out += ",\"loop\":";
            append_number(out, run.call.loop);
            out += '}';
        }
    }
    out += ']';
}
