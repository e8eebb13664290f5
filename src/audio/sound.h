// sound.h — the game's handle on a sound (c_Sound) and the framework's sound
// calls on the process-wide audio device.
#pragma once

#include "audio/gxtk_audio.h"
#include "host/object.h"

class c_Sound final : public Object {
public:
    explicit c_Sound(Ref<gxtkSample> sample = nullptr) : sample(std::move(sample)) {}
    String ToString() const override { return u"c_Sound"; }

    Ref<gxtkSample> sample;
};

// Plays the sound on a channel of the process-wide device; nothing when the
// sound or its sample is missing, or when there is no device.
void PlaySound(const Ref<c_Sound>& sound, int channel, int flags);
