// audio_fixtures.h — sound files made by the tests, an OpenAL that needs no
// sound card, and sounds decoded from memory for devices on the AL recorder.
//
// Linking this file into the test executable points openal-soft at its "wave"
// backend before any test opens a device: the mix goes to a WAV file of this
// process (16-bit stereo, 44100 Hz) that CapturedMix() reads back once the
// device is closed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/gxtk_audio.h"

namespace audio_test {

// A RIFF/WAVE file: "fmt " chunk of `fmtSize` bytes (16 or more; the extra
// bytes are zero), optional extra chunks before "data", then the data.
struct WavLayout {
    int formatCode = 1;
    int channels = 1;
    int bits = 16;
    int rate = 22050;
    int fmtSize = 16;
    std::vector<std::pair<std::string, std::string>> chunksBeforeData;
    std::string data;
};
std::string MakeWav(const WavLayout& layout);

// 16-bit PCM of a sine wave at `amplitude` (0..1), the same in every channel.
std::string SinePcm16(int channels, int rate, int milliseconds, double amplitude = 0.5, double hertz = 440.0);

// An Ogg Vorbis file encoded with libvorbisenc from the same kind of sine.
std::string MakeOgg(int channels, int rate, int frames);

// Writes bytes into a fresh file under a per-process temporary folder and
// returns its path.
std::string WriteTempFile(const std::string& name, const std::string& bytes);

// The 16-bit stereo frames that the wave backend wrote since the last device
// was opened (read after that device is closed): left, right, left, ...
std::vector<std::int16_t> CapturedMix();

// A loader for devices on the AL recorder, which never reads the data: every
// path decodes to 100 ms of silent 16-bit mono at 22050 Hz, except paths
// that contain "missing", which cannot be loaded.
gxtkAudio::AudioLoader MemoryLoader();

}  // namespace audio_test
