// sound.cpp — the framework's sound calls.
#include "audio/sound.h"

#include "host/files.h"

Ref<c_Sound> LoadSound(StringView path) {
    gxtkAudio* audio = gxtkAudio::Current();
    if (!audio) return nullptr;
    Ref<gxtkSample> sample = audio->LoadSample(FixDataPath(path));
    if (!sample) return nullptr;
    return New<c_Sound>(std::move(sample));
}

void PlaySound(const Ref<c_Sound>& sound, int channel, int flags) {
    gxtkAudio* audio = gxtkAudio::Current();
    if (!sound || !sound->sample || !audio) return;
    audio->PlaySample(sound->sample, channel, flags);
}

int PlayMusic(StringView path, int flags) {
    gxtkAudio* audio = gxtkAudio::Current();
    if (!audio) return -1;
    return audio->PlayMusic(FixDataPath(path), flags);
}
