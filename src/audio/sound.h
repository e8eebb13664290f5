// sound.h — the game's handle on a sound (c_Sound) and the framework's sound
// calls on the process-wide audio device.
#pragma once

#include "audio/gxtk_audio.h"
#include "host/object.h"

class c_Sound final : public Object {
public:
    explicit c_Sound(Ref<gxtkSample> decoded = nullptr) : sample(std::move(decoded)) {}
    String ToString() const override { return u"c_Sound"; }

    Ref<gxtkSample> sample;
};

// Loads a sound from the data folder (the name is mapped by FixDataPath);
// null when the file cannot be loaded or there is no device.
Ref<c_Sound> LoadSound(StringView path);
// Plays the sound on a channel of the process-wide device; nothing when the
// sound or its sample is missing, or when there is no device.
void PlaySound(const Ref<c_Sound>& sound, int channel, int flags);
// Plays a file from the data folder as music (any non-zero flags loop).
// -1 when it cannot be loaded or there is no device.
int PlayMusic(StringView path, int flags);
