// audio_data.cpp — the WAV and Ogg Vorbis readers.
#include "host/audio_data.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

// Debian's stb_vorbis.h carries the implementation too; it is compiled once
// into libstb, so only the declarations are wanted here.
#define STB_VORBIS_HEADER_ONLY
#include "stb_vorbis.h"

#include "host/files.h"
#include "host/runtime_error.h"

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

constexpr std::uint32_t kFormatPcm = 1;
constexpr std::uint32_t kFormatFloat = 3;
constexpr std::uint32_t kFormatExtensible = 0xFFFE;

std::int16_t ClampToInt16(std::int64_t value) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(value, INT16_MIN, INT16_MAX));
}

// 24- and 32-bit integer and 32-bit float samples as the 16-bit ones the
// device plays: integers are rounded to the nearest 16-bit step, floats are
// scaled from -1..1, and anything out of range is clamped (NaN is silence).
std::vector<std::uint8_t> ToPcm16(const std::vector<std::uint8_t>& raw, std::size_t sampleBytes, bool ieeeFloat) {
    const std::size_t count = raw.size() / sampleBytes;
    std::vector<std::uint8_t> out(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* in = raw.data() + i * sampleBytes;
        std::uint32_t bits = 0;
        for (std::size_t b = sampleBytes; b-- > 0;) bits = (bits << 8) | in[b];
        std::int16_t sample = 0;
        if (ieeeFloat) {
            float value = 0;
            std::memcpy(&value, &bits, sizeof value);
            if (!std::isnan(value)) sample = ClampToInt16(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
        } else {
            // Sign-extend from the sample's width, then drop the low bits
            // with rounding (half up).
            const int shift = static_cast<int>(32 - 8 * sampleBytes);
            const std::int64_t value = static_cast<std::int32_t>(bits << shift) >> shift;
            const int drop = static_cast<int>(8 * sampleBytes - 16);
            sample = ClampToInt16((value + (std::int64_t{1} << (drop - 1))) >> drop);
        }
        const auto u = static_cast<std::uint16_t>(sample);
        out[2 * i] = static_cast<std::uint8_t>(u & 0xFF);
        out[2 * i + 1] = static_cast<std::uint8_t>(u >> 8);
    }
    return out;
}

}  // namespace

std::optional<AudioData> ReadWav(std::FILE* file) {
    // Every size in the file is checked against what the file really holds,
    // so a damaged header can neither skip past its end nor claim more.
    const long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return std::nullopt;
    const long end = std::ftell(file);
    if (end < start || std::fseek(file, start, SEEK_SET) != 0) return std::nullopt;
    auto remaining = [&]() -> std::uint32_t {
        long at = std::ftell(file);
        return at < 0 || at > end ? 0 : static_cast<std::uint32_t>(std::min<long>(end - at, UINT32_MAX));
    };

    if (!TagIs(ReadTag(file), "RIFF")) return std::nullopt;
    if (!ReadLE<4>(file)) return std::nullopt;  // RIFF size, not trusted
    if (!TagIs(ReadTag(file), "WAVE")) return std::nullopt;
    if (!TagIs(ReadTag(file), "fmt ")) return std::nullopt;
    auto chunkSize = ReadLE<4>(file);
    if (!chunkSize || *chunkSize < 16 || *chunkSize > remaining()) return std::nullopt;
    std::vector<std::uint8_t> fmt = ReadUpTo(file, *chunkSize);
    if (fmt.size() != *chunkSize) return std::nullopt;
    auto le = [&](std::size_t at, int bytes) {
        std::uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | fmt[at + static_cast<std::size_t>(i)];
        return value;
    };
    std::uint32_t formatCode = le(0, 2);
    const std::uint32_t channels = le(2, 2), rate = le(4, 4), bits = le(14, 2);
    if (formatCode == kFormatExtensible) {
        // The real format is the sub-format GUID: the plain format code
        // followed by the fixed tail every such GUID shares.
        static constexpr std::uint8_t kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                       0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        if (fmt.size() < 40 || le(16, 2) < 22 || std::memcmp(fmt.data() + 26, kGuidTail, 14) != 0) {
            return std::nullopt;
        }
        formatCode = le(24, 2);
    }
    const bool pcm = formatCode == kFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool ieeeFloat = formatCode == kFormatFloat && bits == 32;
    if (!pcm && !ieeeFloat) return std::nullopt;
    if (channels == 0) return std::nullopt;

    AudioData audio;
    audio.channelCount = static_cast<int>(channels);
    audio.bytesPerSample = bits == 8 ? 1 : 2;
    audio.sampleRate = static_cast<int>(rate);
    const std::size_t sampleBytes = bits / 8;
    const std::size_t frameBytes = channels * sampleBytes;

    for (;;) {
        bool complete = false;
        auto tag = ReadTag(file, &complete);
        if (!complete) return std::nullopt;  // end of file before "data"
        auto size = ReadLE<4>(file);
        if (!size) return std::nullopt;
        if (TagIs(tag, "data")) {
            // A file cut short keeps the whole frames it still has.
            std::vector<std::uint8_t> raw = ReadUpTo(file, std::min(*size, remaining()));
            const std::size_t frames = raw.size() / frameBytes;
            audio.length = static_cast<int>(frames);
            raw.resize(frames * frameBytes);
            if (bits <= 16) {
                audio.data = std::move(raw);
            } else {
                audio.data = ToPcm16(raw, sampleBytes, ieeeFloat);
            }
            return audio;
        }
        // Chunks are skipped by their exact size, without padding to even.
        if (*size > remaining() || !Skip(file, *size)) return std::nullopt;
    }
}

namespace {

// Ogg's page checksum: CRC-32 with the polynomial 0x04C11DB7, no reflection,
// over the page with its checksum field zeroed.
std::uint32_t OggCrc(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t r = i << 24;
            for (int bit = 0; bit < 8; ++bit) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    for (std::size_t i = 0; i < size; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xFF];
    return crc;
}

// stb_vorbis (the system's library) trusts the pages it is given and can
// read outside its buffers on a damaged one, so every page of the stream
// must be whole and carry its right checksum before it decodes anything.
bool OggPagesIntact(const std::uint8_t* data, std::size_t size) {
    std::size_t at = 0;
    int pages = 0;
    while (at < size) {
        constexpr std::size_t kHead = 27;
        if (size - at < kHead) return false;
        const std::uint8_t* page = data + at;
        if (std::memcmp(page, "OggS", 4) != 0 || page[4] != 0) return false;
        const std::size_t segments = page[26];
        if (size - at < kHead + segments) return false;
        std::size_t body = 0;
        for (std::size_t i = 0; i < segments; ++i) body += page[kHead + i];
        const std::size_t pageSize = kHead + segments + body;
        if (pageSize > size - at) return false;
        const std::uint32_t stored = page[22] | (page[23] << 8) | (page[24] << 16) | (std::uint32_t{page[25]} << 24);
        const std::uint8_t zero[4] = {0, 0, 0, 0};
        std::uint32_t crc = OggCrc(page, 22, 0);
        crc = OggCrc(zero, 4, crc);
        crc = OggCrc(page + 26, pageSize - 26, crc);
        if (crc != stored) return false;
        at += pageSize;
        ++pages;
    }
    return pages > 0;
}

// The decoder works in a block of its own instead of the heap: its memory
// stays bounded whatever the stream claims, and a damaged stream cannot make
// the library lose what it allocated (it did).
constexpr int kDecoderBytes = 1 << 20;

}  // namespace

std::optional<AudioData> DecodeOgg(const std::uint8_t* data, std::size_t size, std::size_t maxSamples, bool* tooLong) {
    if (tooLong) *tooLong = false;
    if (!data || size == 0 || size > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    if (!OggPagesIntact(data, size)) return std::nullopt;
    std::vector<char> decoderMemory(kDecoderBytes);
    stb_vorbis_alloc alloc{decoderMemory.data(), kDecoderBytes};
    int error = 0;
    stb_vorbis* vorbis = stb_vorbis_open_memory(data, static_cast<int>(size), &error, &alloc);
    if (!vorbis) return std::nullopt;
    stb_vorbis_info info = stb_vorbis_get_info(vorbis);
    const int channels = info.channels;
    if (channels <= 0) {
        stb_vorbis_close(vorbis);
        return std::nullopt;
    }

    // Decoded in place into a buffer of frames that doubles whenever less
    // than one block of room remains, up to the limit: the header's length
    // is not trusted, only what really decodes.
    constexpr std::size_t kBlockFrames = 4096;
    const std::size_t maxFrames = maxSamples / static_cast<std::size_t>(channels);
    std::vector<std::int16_t> samples(kBlockFrames * channels);
    std::size_t frames = 0;
    for (;;) {
        std::size_t capacity = samples.size() / channels;
        if (capacity - frames < kBlockFrames) {
            const std::size_t grown = std::min(capacity * 2, maxFrames + kBlockFrames);
            samples.resize(grown * channels);
        }
        capacity = samples.size() / channels;
        int room = static_cast<int>(std::min(capacity - frames, kBlockFrames) * channels);
        int got = stb_vorbis_get_samples_short_interleaved(vorbis, channels, samples.data() + frames * channels, room);
        if (got <= 0) break;
        frames += static_cast<std::size_t>(got);
        if (frames > maxFrames) {
            stb_vorbis_close(vorbis);
            if (tooLong) *tooLong = true;
            return std::nullopt;
        }
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

namespace {

// The rest of `file` from its current position, or nothing when it cannot
// be read.
std::optional<std::vector<std::uint8_t>> ReadRest(std::FILE* file) {
    const long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return std::nullopt;
    const long end = std::ftell(file);
    if (end < start || std::fseek(file, start, SEEK_SET) != 0) return std::nullopt;
    if (end - start > INT_MAX) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(end - start));
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) return std::nullopt;
    return bytes;
}

class OggStream final : public AudioStream {
public:
    explicit OggStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
        int error = 0;
        if (bytes_.empty() || bytes_.size() > static_cast<std::size_t>(INT_MAX)) return;
        if (!OggPagesIntact(bytes_.data(), bytes_.size())) return;
        decoderMemory_.resize(kDecoderBytes);
        stb_vorbis_alloc alloc{decoderMemory_.data(), kDecoderBytes};
        vorbis_ = stb_vorbis_open_memory(bytes_.data(), static_cast<int>(bytes_.size()), &error, &alloc);
        if (!vorbis_) return;
        const stb_vorbis_info info = stb_vorbis_get_info(vorbis_);
        channelCount = info.channels;
        sampleRate = info.sample_rate > INT_MAX ? 0 : static_cast<int>(info.sample_rate);
    }
    ~OggStream() override {
        if (vorbis_) stb_vorbis_close(vorbis_);
    }
    bool Valid() const { return vorbis_ && channelCount > 0; }

    int Read(std::int16_t* out, int frames) override {
        if (!vorbis_ || frames <= 0) return 0;
        const int got = stb_vorbis_get_samples_short_interleaved(vorbis_, channelCount, out, frames * channelCount);
        return std::max(got, 0);
    }
    bool Rewind() override { return vorbis_ && stb_vorbis_seek_start(vorbis_) != 0; }

private:
    std::vector<std::uint8_t> bytes_;  // stb_vorbis reads from them for the stream's whole life
    std::vector<char> decoderMemory_;  // and keeps its state here
    stb_vorbis* vorbis_ = nullptr;
};

class DecodedStream final : public AudioStream {
public:
    explicit DecodedStream(std::vector<std::int16_t> samples, int channels, int rate) : samples_(std::move(samples)) {
        channelCount = channels;
        sampleRate = rate;
    }
    int Read(std::int16_t* out, int frames) override {
        const std::size_t left = (samples_.size() - at_) / static_cast<std::size_t>(channelCount);
        const std::size_t take = std::min(left, static_cast<std::size_t>(std::max(frames, 0)));
        std::copy_n(samples_.data() + at_, take * channelCount, out);
        at_ += take * channelCount;
        return static_cast<int>(take);
    }
    bool Rewind() override {
        at_ = 0;
        return true;
    }

private:
    std::vector<std::int16_t> samples_;
    std::size_t at_ = 0;
};

}  // namespace

std::optional<AudioData> ReadOgg(std::FILE* file, bool* tooLong) {
    if (tooLong) *tooLong = false;
    auto bytes = ReadRest(file);
    if (!bytes) return std::nullopt;
    return DecodeOgg(bytes->data(), bytes->size(), kMaxWholeOggSamples, tooLong);
}

std::unique_ptr<AudioStream> OpenOggStream(std::vector<std::uint8_t> bytes) {
    auto stream = std::make_unique<OggStream>(std::move(bytes));
    if (!stream->Valid()) return nullptr;
    return stream;
}

std::unique_ptr<AudioStream> PcmStream(AudioData audio) {
    if (audio.channelCount <= 0 || (audio.bytesPerSample != 1 && audio.bytesPerSample != 2)) return nullptr;
    const std::size_t count =
        std::min(audio.data.size() / static_cast<std::size_t>(audio.bytesPerSample),
                 static_cast<std::size_t>(std::max(audio.length, 0)) * static_cast<std::size_t>(audio.channelCount));
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (audio.bytesPerSample == 1) {
            samples[i] = static_cast<std::int16_t>((audio.data[i] - 128) * 256);
        } else {
            samples[i] = static_cast<std::int16_t>(audio.data[2 * i] | (audio.data[2 * i + 1] << 8));
        }
    }
    return std::make_unique<DecodedStream>(std::move(samples), audio.channelCount, audio.sampleRate);
}

std::optional<AudioData> DecodeAudioFile(std::FILE* file, StringView path) {
    if (!file) return std::nullopt;
    String lower = ToLower(path);
    if (EndsWith(lower, u".wav")) return ReadWav(file);
    if (EndsWith(lower, u".ogg")) {
        bool tooLong = false;
        auto audio = ReadOgg(file, &tooLong);
        if (tooLong) {
            Print(u"Sound file '" + String(path) + u"' decodes to more than " +
                  IntToString(static_cast<int>(kMaxWholeOggSamples)) + u" samples, the limit for a sound loaded whole");
        }
        return audio;
    }
    return std::nullopt;
}

std::optional<AudioData> LoadAudioFile(StringView path) {
    ReadingFile reading(path);
    std::FILE* file = OpenFile(path, "rb");
    if (!file) return std::nullopt;
    auto audio = DecodeAudioFile(file, path);
    std::fclose(file);
    if (audio) LoadedByteCount().fetch_add(static_cast<long long>(audio->data.size()));
    return audio;
}

std::unique_ptr<AudioStream> OpenAudioStream(StringView path) {
    String lower = ToLower(path);
    if (EndsWith(lower, u".ogg")) {
        ReadingFile reading(path);
        std::FILE* file = OpenFile(path, "rb");
        if (!file) return nullptr;
        auto bytes = ReadRest(file);
        std::fclose(file);
        if (!bytes) return nullptr;
        LoadedByteCount().fetch_add(static_cast<long long>(bytes->size()));
        return OpenOggStream(std::move(*bytes));
    }
    auto audio = LoadAudioFile(path);
    return audio ? PcmStream(std::move(*audio)) : nullptr;
}
