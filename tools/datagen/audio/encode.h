// encode.h — writes rendered sound as the files the game reads: 16-bit PCM
// WAV for effects, Ogg Vorbis for music.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace datagen::audio {

// Rounds to 16 bits with saturation.
std::vector<int16_t> ToPcm16(const std::vector<float>& samples);

// A mono 16-bit PCM WAV file in memory (canonical 44-byte header).
std::vector<uint8_t> EncodeWav(const std::vector<float>& mono, int sampleRate);

// A stereo Ogg Vorbis file in memory. Variable bit rate at a fixed quality
// and a fixed stream serial number, so equal input gives equal bytes.
// Returns false and fills `error` when the encoder refuses the settings.
bool EncodeOggVorbis(const std::vector<float>& left, const std::vector<float>& right, int sampleRate, float quality,
                     uint32_t serial, std::vector<uint8_t>& out, std::string& error);

// Writes bytes to a file; false on failure.
bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace datagen::audio
