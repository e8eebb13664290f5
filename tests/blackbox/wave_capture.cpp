// wave_capture.cpp — see wave_capture.h.
#include "blackbox/wave_capture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

uint32_t Le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

}  // namespace

long FileSize(const std::string& path) {
    std::error_code ec;
    auto n = fs::file_size(path, ec);
    return ec ? 0 : static_cast<long>(n);
}

WaveData ReadWaveLayout(const std::string& path) {
    WaveData w;
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> head(4096);
    in.read(reinterpret_cast<char*>(head.data()), head.size());
    size_t n = static_cast<size_t>(in.gcount());
    if (n < 12 || std::memcmp(head.data(), "RIFF", 4) != 0 || std::memcmp(head.data() + 8, "WAVE", 4) != 0) return w;
    size_t at = 12;
    while (at + 8 <= n) {
        uint32_t size = Le32(&head[at + 4]);
        if (std::memcmp(&head[at], "fmt ", 4) == 0 && at + 8 + 16 <= n) {
            w.channels = Le16(&head[at + 10]);
            w.sampleRate = static_cast<int>(Le32(&head[at + 12]));
            w.bitsPerSample = Le16(&head[at + 22]);
        } else if (std::memcmp(&head[at], "data", 4) == 0) {
            // Its size may still be the placeholder: the samples run to the
            // end of the file.
            w.dataOffset = static_cast<long>(at + 8);
            return w;
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

namespace {

// The raw 16-bit samples (all channels interleaved) between two byte
// offsets, cut to whole sample frames.
std::vector<int16_t> ReadSamples(const std::string& path, long fromByte, long toByte, WaveData* layout) {
    WaveData w = ReadWaveLayout(path);
    if (layout) *layout = w;
    if (w.dataOffset < 0 || w.bitsPerSample != 16) return {};
    fromByte = std::max(fromByte, w.dataOffset);
    long frameBytes = 2L * std::max(w.channels, 1);
    fromByte = w.dataOffset + (fromByte - w.dataOffset) / frameBytes * frameBytes;
    toByte = std::min(toByte, FileSize(path));
    toByte = fromByte + (toByte - fromByte) / frameBytes * frameBytes;
    if (toByte - fromByte < frameBytes) return {};
    std::ifstream in(path, std::ios::binary);
    in.seekg(fromByte);
    std::vector<unsigned char> bytes(static_cast<size_t>(toByte - fromByte));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::vector<int16_t> samples(static_cast<size_t>(in.gcount()) / 2);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(Le16(&bytes[i * 2]));
    return samples;
}

std::vector<float> Mono(const std::vector<int16_t>& samples, int channels) {
    size_t n = static_cast<size_t>(std::max(channels, 1));
    std::vector<float> mono(samples.size() / n);
    for (size_t i = 0; i < mono.size(); ++i) {
        float sum = 0;
        for (size_t c = 0; c < n; ++c) sum += samples[i * n + c];
        mono[i] = sum / (n * 32768.0f);
    }
    return mono;
}

}  // namespace

double WaveRms(const std::string& path, long fromByte, long toByte) {
    std::vector<int16_t> samples = ReadSamples(path, fromByte, toByte, nullptr);
    if (samples.empty()) return -1;
    double sum = 0;
    for (int16_t v : samples) sum += (v / 32768.0) * (v / 32768.0);
    return std::sqrt(sum / samples.size());
}

std::vector<float> WaveSamples(const std::string& path, long fromByte, long toByte) {
    WaveData w;
    std::vector<int16_t> samples = ReadSamples(path, fromByte, toByte, &w);
    return Mono(samples, w.channels);
}

std::vector<float> LoadWave(const std::string& path, int* sampleRate) {
    WaveData w;
    // A finished file: its data chunk runs to the end like the recording's.
    std::vector<int16_t> samples = ReadSamples(path, 0, FileSize(path), &w);
    if (sampleRate) *sampleRate = w.sampleRate;
    return Mono(samples, w.channels);
}

double BestMatch(const std::vector<float>& recording, const std::vector<float>& sound) {
    // Pairs of samples averaged: a quarter of the work, and the game's
    // effects keep their character well below 11 kHz.
    auto halve = [](const std::vector<float>& v) {
        std::vector<float> h(v.size() / 2);
        for (size_t i = 0; i < h.size(); ++i) h[i] = 0.5f * (v[2 * i] + v[2 * i + 1]);
        return h;
    };
    std::vector<float> x = halve(recording), t = halve(sound);
    if (t.empty() || x.size() < t.size()) return 0;
    double soundEnergy = 0;
    for (float v : t) soundEnergy += double(v) * v;
    if (soundEnergy <= 0) return 0;
    double windowEnergy = 0;
    for (size_t i = 0; i < t.size(); ++i) windowEnergy += double(x[i]) * x[i];
    double best = 0;
    for (size_t k = 0; k + t.size() <= x.size(); ++k) {
        if (k > 0) {
            double in = x[k + t.size() - 1], out = x[k - 1];
            windowEnergy = std::max(0.0, windowEnergy + in * in - out * out);
        }
        if (windowEnergy <= 1e-12) continue;
        double dot = 0;
        for (size_t i = 0; i < t.size(); ++i) dot += double(x[k + i]) * t[i];
        best = std::max(best, dot / std::sqrt(windowEnergy * soundEnergy));
    }
    return best;
}
