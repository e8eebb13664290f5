// audio_data.cpp — the WAV and Ogg Vorbis readers.
#include "host/audio_data.h"

#include <array>
#include <cstring>

// Debian's stb_vorbis.h carries the implementation too; it is compiled once
// into libstb, so only the declarations are wanted here.
#define STB_VORBIS_HEADER_ONLY
#include "stb_vorbis.h"

#include "host/files.h"

namespace {

// A short read leaves the rest zero, so a truncated tag compares unequal to
// every real tag (it reads as the empty string).
std::array<char, 4> ReadTag(std::FILE* file, bool* complete = nullptr) {
    std::array<char, 4> tag{};
    std::size_t got = std::fread(tag.data(), 1, tag.size(), file);
    if (got < tag.size()) tag.fill(0);
    if (complete) *complete = got == tag.size();
    return tag;
}

bool TagIs(const std::array<char, 4>& tag, const char* expected) { return std::memcmp(tag.data(), expected, 4) == 0; }

// Little-endian integers; a short read gives nullopt.
template <int Bytes>
std::optional<std::uint32_t> ReadLE(std::FILE* file) {
    std::uint8_t bytes[Bytes];
    if (std::fread(bytes, 1, Bytes, file) != Bytes) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = Bytes - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

bool Skip(std::FILE* file, std::uint32_t count) {
    return count == 0 || std::fseek(file, static_cast<long>(count), SEEK_CUR) == 0;
}

// Reads up to `count` bytes without trusting `count` for the allocation: a
// damaged header may claim far more data than the file holds.
std::vector<std::uint8_t> ReadUpTo(std::FILE* file, std::uint32_t count) {
    constexpr std::size_t kChunk = 1 << 16;
    std::vector<std::uint8_t> out;
    std::size_t remaining = count;
    while (remaining > 0) {
        std::size_t want = remaining < kChunk ? remaining : kChunk;
        std::size_t old = out.size();
        out.resize(old + want);
        std::size_t got = std::fread(out.data() + old, 1, want, file);
        out.resize(old + got);
        if (got < want) break;
        remaining -= got;
    }
    return out;
}

}  // namespace

std::optional<AudioData> ReadWav(std::FILE* file) {
    if (!TagIs(ReadTag(file), "RIFF")) return std::nullopt;
    if (!ReadLE<4>(file)) return std::nullopt;  // RIFF size, not trusted
    if (!TagIs(ReadTag(file), "WAVE")) return std::nullopt;
    if (!TagIs(ReadTag(file), "fmt ")) return std::nullopt;

    auto chunkSize = ReadLE<4>(file);
    auto formatCode = ReadLE<2>(file);
    auto channels = ReadLE<2>(file);
    auto rate = ReadLE<4>(file);
    auto byteRate = ReadLE<4>(file);
    auto blockAlign = ReadLE<2>(file);
    auto bits = ReadLE<2>(file);
    if (!chunkSize || !formatCode || !channels || !rate || !byteRate || !blockAlign || !bits) {
        return std::nullopt;
    }
    if (*formatCode != 1) return std::nullopt;  // integer PCM only
    if (*chunkSize > 16 && !Skip(file, *chunkSize - 16)) return std::nullopt;

    AudioData audio;
    audio.channelCount = static_cast<int>(*channels);
    audio.bytesPerSample = static_cast<int>(*bits / 8);
    audio.sampleRate = static_cast<int>(*rate);
    const int frameBytes = audio.channelCount * audio.bytesPerSample;
    if (frameBytes <= 0) return std::nullopt;  // no frame size to divide by

    for (;;) {
        bool complete = false;
        auto tag = ReadTag(file, &complete);
        if (!complete) return std::nullopt;  // end of file before "data"
        auto size = ReadLE<4>(file);
        if (!size) return std::nullopt;
        if (TagIs(tag, "data")) {
            audio.data = ReadUpTo(file, *size);
            // A file cut short keeps the whole frames it still has.
            audio.length = static_cast<int>(audio.data.size() / frameBytes);
            audio.data.resize(static_cast<std::size_t>(audio.length) * frameBytes);
            return audio;
        }
        // Chunks are skipped by their exact size, without padding to even.
        if (!Skip(file, *size)) return std::nullopt;
    }
}

std::optional<AudioData> ReadOgg(std::FILE* file) {
    long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return std::nullopt;
    long end = std::ftell(file);
    if (end < start || std::fseek(file, start, SEEK_SET) != 0) return std::nullopt;

    int error = 0;
    stb_vorbis* vorbis = stb_vorbis_open_file_section(file, 0, &error, nullptr, static_cast<unsigned>(end - start));
    if (!vorbis) return std::nullopt;
    stb_vorbis_info info = stb_vorbis_get_info(vorbis);
    const int channels = info.channels;
    if (channels <= 0) {
        stb_vorbis_close(vorbis);
        return std::nullopt;
    }

    // Decoded in place into a buffer of frames that doubles whenever less
    // than one block of room remains.
    constexpr std::size_t kBlockFrames = 4096;
    std::vector<std::int16_t> samples(kBlockFrames * channels);
    std::size_t frames = 0;
    for (;;) {
        std::size_t capacity = samples.size() / channels;
        if (capacity - frames < kBlockFrames) samples.resize(samples.size() * 2);
        capacity = samples.size() / channels;
        int room = static_cast<int>((capacity - frames) * channels);
        int got = stb_vorbis_get_samples_short_interleaved(vorbis, channels, samples.data() + frames * channels, room);
        if (got <= 0) break;
        frames += static_cast<std::size_t>(got);
    }
    stb_vorbis_close(vorbis);

    AudioData audio;
    audio.channelCount = channels;
    audio.bytesPerSample = 2;
    audio.sampleRate = static_cast<int>(info.sample_rate);
    audio.length = static_cast<int>(frames);
    audio.data.resize(frames * channels * sizeof(std::int16_t));
    // The buffer is little-endian PCM, as OpenAL expects on this platform.
    std::memcpy(audio.data.data(), samples.data(), audio.data.size());
    return audio;
}

std::optional<AudioData> DecodeAudioFile(std::FILE* file, StringView path) {
    if (!file) return std::nullopt;
    String lower = ToLower(path);
    if (EndsWith(lower, u".wav")) return ReadWav(file);
    if (EndsWith(lower, u".ogg")) return ReadOgg(file);
    return std::nullopt;
}

std::optional<AudioData> LoadAudioFile(StringView path) {
    std::FILE* file = OpenFile(path, "rb");
    if (!file) return std::nullopt;
    auto audio = DecodeAudioFile(file, path);
    std::fclose(file);
    if (audio) LoadedByteCount().fetch_add(static_cast<long long>(audio->data.size()));
    return audio;
}
