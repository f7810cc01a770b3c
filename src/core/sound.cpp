#include "core/sound.h"

namespace {
SoundHook recorder = nullptr;
}

void set_sound_hook(SoundHook hook) { recorder = hook; }

void play_sound(SAMPLE *sample, int vol, int pan, int freq, int loop) {
    if (recorder) {
        recorder({sample, true, vol, pan, freq, loop});
        return;
    }
    if (sample) play_sample(sample, vol, pan, freq, loop);
}

void stop_sound(SAMPLE *sample) {
    if (recorder) {
        recorder({sample, false, 0, 0, 0, 0});
        return;
    }
    if (sample) stop_sample(sample);
}
