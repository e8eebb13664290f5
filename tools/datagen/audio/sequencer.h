// sequencer.h — renders a song into a seamless stereo loop.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "datagen/audio/song.h"

namespace datagen::audio {

struct StereoLoop {
    std::vector<float> left, right;
    // Each instrument's own level (dry, dBFS RMS over the loop), for
    // balancing a song by its numbers.
    std::vector<std::pair<std::string, double>> levels;
};

// Renders every note of `song`, lets the notes and the room ring on past the
// loop's end and folds that tail back onto the start, so that playing the
// result over and over sounds like the song played without end. The loop is
// then scaled to a common loudness with its peak kept below `peakLimit`.
StereoLoop RenderSong(const Song& song, uint32_t seed, double targetRmsDb, double peakLimit);

// Scales `channels` by one factor so that their RMS is `targetRmsDb` dBFS
// and softly limits the peaks to stay below `peakLimit`. Returns the factor.
double Normalize(std::vector<std::vector<float>*> channels, double targetRmsDb, double peakLimit);

}  // namespace datagen::audio
