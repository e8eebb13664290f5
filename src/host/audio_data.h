// audio_data.h — decoding sound files into PCM for the audio device.
//
// Effects are decoded whole at load time: WAV files with integer or float PCM
// (wider than 16 bits becomes 16-bit), and Ogg Vorbis files through
// stb_vorbis (16-bit), the latter within kMaxWholeOggSamples so that a small
// hostile file cannot claim hours of memory. Music is streamed instead: an
// AudioStream decodes an Ogg file a piece at a time from the file's bytes in
// memory, so a song costs its compressed size plus a few short buffers.
// LoadAudioFile is the host's LoadAudioData and OpenAudioStream its
// OpenAudioStream: both open the path through the host's "cobalt:" mapping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "host/text.h"

// Interleaved PCM frames: 8-bit unsigned or 16-bit signed little-endian.
struct AudioData {
    std::vector<std::uint8_t> data;
    int length = 0;          // sample frames
    int channelCount = 0;    // 1 or 2 for anything the device can play
    int bytesPerSample = 0;  // 1 or 2 for anything the device can play
    int sampleRate = 0;      // Hz
};

// Reads a RIFF/WAVE file from the current position of `file`: 8-, 16-, 24- or
// 32-bit integer or 32-bit float PCM, given plainly or as an extensible
// format. 8- and 16-bit data is kept as it is; the rest becomes 16-bit. The
// format chunk must come first; other chunks before "data" are skipped, and a
// chunk claiming more than the file holds (other than "data", which keeps
// what there is) refuses the file.
std::optional<AudioData> ReadWav(std::FILE* file);
// The most samples (frames times channels) an Ogg file decoded whole may give:
// 16 MB of 16-bit PCM, about 95 s of stereo at 44100 Hz.
inline constexpr std::size_t kMaxWholeOggSamples = std::size_t{1} << 23;

// Decodes a whole Ogg Vorbis stream held in memory into 16-bit frames.
// Nothing when it is not Ogg Vorbis, when any page is cut off or fails its
// checksum, or when it decodes to more than `maxSamples` (then *tooLong is
// set, when given).
std::optional<AudioData> DecodeOgg(const std::uint8_t* data, std::size_t size,
                                   std::size_t maxSamples = kMaxWholeOggSamples, bool* tooLong = nullptr);
// DecodeOgg of the rest of `file`, from its current position.
std::optional<AudioData> ReadOgg(std::FILE* file, bool* tooLong = nullptr);
// Chooses the reader by the path's extension (".wav" or ".ogg", any case);
// nothing for any other extension. Does not close the file. An Ogg file over
// the length limit prints one line naming the file and the limit.
std::optional<AudioData> DecodeAudioFile(std::FILE* file, StringView path);
// Opens `path` (mapped by the host's OpenFile), decodes it and closes it.
// Nothing when the file cannot be opened or decoded.
std::optional<AudioData> LoadAudioFile(StringView path);

// A sound decoded a piece at a time into interleaved 16-bit frames. Reading
// and rewinding allocate nothing, so a stream can be refilled from a game
// update.
class AudioStream {
public:
    AudioStream() = default;
    virtual ~AudioStream() = default;
    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;

    // Up to `frames` frames into `out` (room for frames * channelCount
    // samples); fewer only at the end of the sound, 0 after it.
    virtual int Read(std::int16_t* out, int frames) = 0;
    // Back to the first frame, so that the next Read continues the sound
    // from its start; false when that failed.
    virtual bool Rewind() = 0;

    int channelCount = 0;
    int sampleRate = 0;
};

// Streams an Ogg Vorbis file held in memory (the stream keeps the bytes).
// Null when the bytes are not Ogg Vorbis.
std::unique_ptr<AudioStream> OpenOggStream(std::vector<std::uint8_t> bytes);
// A stream over PCM that is already decoded (8-bit data becomes 16-bit).
// Null for data that is neither 8- nor 16-bit.
std::unique_ptr<AudioStream> PcmStream(AudioData audio);
// Ogg files are streamed from their bytes; WAV files are decoded whole and
// streamed from memory. Null when the file cannot be opened or decoded.
std::unique_ptr<AudioStream> OpenAudioStream(StringView path);
