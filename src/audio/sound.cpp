// sound.cpp — the framework's sound calls.
#include "audio/sound.h"

void PlaySound(const Ref<c_Sound>& sound, int channel, int flags) {
    gxtkAudio* audio = gxtkAudio::Current();
    if (!sound || !sound->sample || !audio) return;
    audio->PlaySample(sound->sample, channel, flags);
}
