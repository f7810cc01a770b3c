// Every sound the game starts or stops goes through here, so that tests and the
// replay tool can record the calls instead of playing them.
#pragma once

#include <allegro.h>

struct SoundCall {
    SAMPLE *sample;
    bool play;  // false: stop
    int vol, pan, freq, loop;
};

using SoundHook = void (*)(const SoundCall &call);

void play_sound(SAMPLE *sample, int vol, int pan, int freq, int loop);
void stop_sound(SAMPLE *sample);
// With a hook set, calls go to the hook and the library is not touched.
void set_sound_hook(SoundHook hook);
