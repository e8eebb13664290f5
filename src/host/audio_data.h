// audio_data.h — decoding sound files into PCM for the audio device.
//
// Every sound is decoded whole at load time: WAV files with integer or float
// PCM (wider than 16 bits becomes 16-bit), and Ogg Vorbis files through
// stb_vorbis (16-bit). LoadAudioFile is the host's LoadAudioData: it opens the
// path through the host's "cobalt:" mapping.
#pragma once

#include <cstdint>
#include <cstdio>
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
// Decodes a whole Ogg Vorbis stream (the rest of `file`, from its current
// position) into 16-bit frames. The stream must be whole Ogg pages, each
// with its right checksum, or nothing is decoded.
std::optional<AudioData> ReadOgg(std::FILE* file);
// Chooses the reader by the path's extension (".wav" or ".ogg", any case);
// nothing for any other extension. Does not close the file.
std::optional<AudioData> DecodeAudioFile(std::FILE* file, StringView path);
// Opens `path` (mapped by the host's OpenFile), decodes it and closes it.
// Nothing when the file cannot be opened or decoded.
std::optional<AudioData> LoadAudioFile(StringView path);
