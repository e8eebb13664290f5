// voice.h — plays one note of an instrument into a stereo mix with a reverb
// send. Shared by the music sequencer and the sound effects.
#pragma once

#include <vector>

#include "datagen/audio/dsp.h"
#include "datagen/audio/song.h"

namespace datagen::audio {

// A stereo buffer and the mono signal sent to the room reverb.
struct Mix {
    explicit Mix(size_t frames) : left(frames), right(frames), send(frames) {}
    std::vector<float> left, right, send;
    size_t Frames() const { return left.size(); }
};

// Adds the note to `mix` (clipped at the mix's end). `rng` feeds noise and
// plucked strings.
void RenderVoice(const Instrument& instrument, const NoteEvent& note, Rng& rng, Mix& mix);

// How many seconds a note of `instrument` held for `held` seconds sounds.
double VoiceSeconds(const Instrument& instrument, double held);

}  // namespace datagen::audio
