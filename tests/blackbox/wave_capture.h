// wave_capture.h — the game's sound as openal-soft's wave backend records it
// to a file, and the sounds of the game's data: loudness of a stretch, its
// samples, and how clearly a given sound is heard in a recording.
#pragma once

#include <string>
#include <vector>

// RMS (0..1 of full scale) of the 16-bit samples that openal-soft's wave
// writer added to `path` between byte offsets; the header sizes are written
// only when the device closes, so the data chunk is found by walking the
// RIFF chunks and taken to the end of the file. -1 when nothing was written.
struct WaveData {
    long dataOffset = -1;  // file offset where samples begin
    int channels = 0, sampleRate = 0, bitsPerSample = 0;
};
WaveData ReadWaveLayout(const std::string& path);
long FileSize(const std::string& path);
double WaveRms(const std::string& path, long fromByte, long toByte);
// The same stretch as mono samples (the channels averaged), -1..1.
std::vector<float> WaveSamples(const std::string& path, long fromByte, long toByte);
// A whole 16-bit PCM WAV file (a sound of the game's data) as mono samples;
// empty when it cannot be read.
std::vector<float> LoadWave(const std::string& path, int* sampleRate = nullptr);
// How clearly `sound` is heard somewhere in `recording`: the best normalised
// cross-correlation over all offsets, 0..1. A sound played at full volume
// over quieter music scores well above what the music alone reaches.
double BestMatch(const std::vector<float>& recording, const std::vector<float>& sound);
