// sequencer.cpp — song rendering, loop folding and loudness.
#include "datagen/audio/sequencer.h"

#include <algorithm>
#include <cmath>

#include "datagen/audio/dsp.h"
#include "datagen/audio/voice.h"

namespace datagen::audio {

namespace {
// Room for the longest release and the reverb to die away past the loop end.
constexpr double kTailSeconds = 6.0;
constexpr double kRoomSize = 0.84, kRoomDamping = 0.35, kRoomWet = 1.0;
}  // namespace

StereoLoop RenderSong(const Song& song, uint32_t seed, double targetRmsDb, double peakLimit) {
    const size_t loopFrames = static_cast<size_t>(std::llround(song.loopSeconds * kSampleRate));
    const size_t tailFrames = static_cast<size_t>(kTailSeconds * kSampleRate);
    Mix mix(loopFrames + tailFrames);
    Mix part(mix.Frames());
    Rng rng(seed);
    std::vector<double> energy(song.instruments.size());
    // One instrument at a time, so that each one's level can be measured.
    for (size_t which = 0; which < song.instruments.size(); ++which) {
        const Instrument& in = song.instruments[which];
        bool any = false;
        for (const NoteEvent& event : song.events) {
            if (event.instrument != static_cast<int>(which)) continue;
            NoteEvent note = event;
            if (in.humanize > 0) {
                // Never before the loop start: a note pulled ahead of 0 would be lost.
                note.start = std::fmax(0.0, note.start + rng.Signed() * in.humanize);
                note.velocity *= 1.0 + 0.08 * rng.Signed();
            }
            RenderVoice(in, note, rng, part);
            any = true;
        }
        if (!any) continue;
        for (size_t i = 0; i < part.Frames(); ++i) {
            energy[which] += double(part.left[i]) * part.left[i] + double(part.right[i]) * part.right[i];
            mix.left[i] += part.left[i];
            mix.right[i] += part.right[i];
            mix.send[i] += part.send[i];
        }
        std::fill(part.left.begin(), part.left.end(), 0.0f);
        std::fill(part.right.begin(), part.right.end(), 0.0f);
        std::fill(part.send.begin(), part.send.end(), 0.0f);
    }
    Reverb room(kRoomSize, kRoomDamping);
    room.Process(mix.send, mix.left, mix.right, kRoomWet);

    // Everything rendered is linear in the notes, so folding the part past the
    // end onto the start gives exactly what a song repeated forever plays.
    StereoLoop loop;
    loop.left.assign(mix.left.begin(), mix.left.begin() + loopFrames);
    loop.right.assign(mix.right.begin(), mix.right.begin() + loopFrames);
    for (size_t i = 0; i < tailFrames; ++i) {
        size_t at = i % loopFrames;
        loop.left[at] += mix.left[loopFrames + i];
        loop.right[at] += mix.right[loopFrames + i];
    }
    double gain = Normalize({&loop.left, &loop.right}, targetRmsDb, peakLimit);
    for (size_t which = 0; which < song.instruments.size(); ++which) {
        double rms = std::sqrt(energy[which] / (2.0 * loopFrames)) * gain;
        loop.levels.emplace_back(song.instruments[which].name, 20.0 * std::log10(std::fmax(rms, 1e-9)));
    }
    return loop;
}

double Normalize(std::vector<std::vector<float>*> channels, double targetRmsDb, double peakLimit) {
    double sumSquares = 0;
    size_t count = 0;
    for (const std::vector<float>* channel : channels) {
        for (float v : *channel) sumSquares += static_cast<double>(v) * v;
        count += channel->size();
    }
    if (count == 0 || sumSquares == 0) return 1.0;
    const double gain = DbToGain(targetRmsDb) / std::sqrt(sumSquares / count);
    // The rare transient above the knee (a plucked attack on a kick) is
    // rounded off towards the limit instead of lowering the whole song.
    // Sample by sample, so a seamless loop stays seamless.
    const double knee = peakLimit * 0.7, room = peakLimit - knee;
    for (std::vector<float>* channel : channels) {
        for (float& v : *channel) {
            double x = v * gain, magnitude = std::fabs(x);
            if (magnitude > knee) x = std::copysign(knee + room * std::tanh((magnitude - knee) / room), x);
            v = static_cast<float>(x);
        }
    }
    return gain;
}

}  // namespace datagen::audio
