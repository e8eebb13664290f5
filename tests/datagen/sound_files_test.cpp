// The generated effects and music: formats the game reads, lengths, levels,
// seamless loops, clean starts and ends, and byte-identical regeneration.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "host/audio_data.h"
#include "host/text.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSfx = fs::path(ORBEL_BINARY_DIR) / "data" / "sfx";

struct Pcm {
    int channels = 0, rate = 0, bytesPerSample = 0;
    std::vector<int16_t> samples;  // interleaved
    size_t Frames() const { return channels ? samples.size() / channels : 0; }
};

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Decodes a file with the game's own readers.
bool Decode(const fs::path& path, Pcm& pcm) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::optional<AudioData> audio = DecodeAudioFile(file, S(path.string()));
    std::fclose(file);
    if (!audio) return false;
    pcm.channels = audio->channelCount;
    pcm.rate = audio->sampleRate;
    pcm.bytesPerSample = audio->bytesPerSample;
    if (pcm.bytesPerSample != 2) return true;
    pcm.samples.resize(audio->data.size() / 2);
    for (size_t i = 0; i < pcm.samples.size(); ++i)
        pcm.samples[i] = static_cast<int16_t>(audio->data[2 * i] | (audio->data[2 * i + 1] << 8));
    return true;
}

struct Expected {
    const char* file;
    int channels;
    double minSeconds, maxSeconds;
    bool loops;
    double peakDbAtLeast;  // quieter than this is a fault: the sound is lost
};

// Effects are mono so that OpenAL can place them by pan.
const Expected kSounds[] = {
    {"steps.wav", 1, 0.4, 2.0, true, -20},          {"boxfall.wav", 1, 0.1, 1.2, false, -9},
    {"boxbreak.wav", 1, 0.2, 1.5, false, -9},       {"bubble.wav", 1, 0.05, 0.8, false, -12},
    {"door.wav", 1, 0.2, 2.0, false, -9},           {"key.wav", 1, 0.2, 1.5, false, -12},
    {"boxpush.wav", 1, 0.1, 1.0, false, -14},       {"jump.wav", 1, 0.05, 0.8, false, -14},
    {"orbel_intro_bgm.ogg", 2, 40, 90, true, -6},   {"orbel_level_bgm.ogg", 2, 40, 90, true, -6},
    {"orbel_credits_bgm.ogg", 2, 40, 90, true, -6},
};

bool Load(const Expected& e, Pcm& pcm) { return Decode(kSfx / e.file, pcm); }

double Db(double v) { return 20.0 * std::log10(std::fmax(v, 1e-9)); }

TEST(SoundFiles, FormatLengthAndLevels) {
    for (const Expected& e : kSounds) {
        SCOPED_TRACE(e.file);
        Pcm pcm;
        ASSERT_TRUE(Load(e, pcm));
        EXPECT_EQ(pcm.bytesPerSample, 2);
        EXPECT_EQ(pcm.rate, 44100);
        EXPECT_EQ(pcm.channels, e.channels);
        double seconds = static_cast<double>(pcm.Frames()) / pcm.rate;
        EXPECT_GE(seconds, e.minSeconds);
        EXPECT_LE(seconds, e.maxSeconds);

        double peak = 0, sum = 0;
        for (int16_t s : pcm.samples) {
            peak = std::fmax(peak, std::fabs(s / 32768.0));
            sum += (s / 32768.0) * (s / 32768.0);
        }
        double rms = std::sqrt(sum / pcm.samples.size());
        EXPECT_LT(Db(peak), -0.5) << "clipping";
        EXPECT_GT(Db(peak), e.peakDbAtLeast);
        // Not a bare click, not a wall of noise.
        EXPECT_GT(Db(rms), -40.0);
        EXPECT_LT(Db(rms), -10.0);
    }
}

// A loop's last sample must lead into its first like any two neighbours do;
// a one-shot must start and end at rest, or it clicks.
TEST(SoundFiles, LoopsJoinAndOneShotsStartAndEndQuietly) {
    for (const Expected& e : kSounds) {
        SCOPED_TRACE(e.file);
        Pcm pcm;
        ASSERT_TRUE(Load(e, pcm));
        const size_t frames = pcm.Frames();
        ASSERT_GT(frames, 2u);
        for (int c = 0; c < pcm.channels; ++c) {
            auto at = [&](size_t i) { return pcm.samples[i * pcm.channels + c] / 32768.0; };
            if (e.loops) {
                double sumSquares = 0;
                for (size_t i = 1; i < frames; ++i) sumSquares += (at(i) - at(i - 1)) * (at(i) - at(i - 1));
                double typicalStep = std::sqrt(sumSquares / (frames - 1));
                EXPECT_LE(std::fabs(at(frames - 1) - at(0)), 4.0 * typicalStep + 0.002) << "channel " << c;
            } else {
                EXPECT_LT(std::fabs(at(0)), 0.01);
                EXPECT_LT(std::fabs(at(frames - 1)), 0.01);
            }
        }
    }
}

// Runs the generator's sound part from `assets` into `out`/data.
ChildResult GenerateSound(const fs::path& assets, const fs::path& out) {
    // Rendering minutes of music is slow under the sanitizers and on a busy machine.
    constexpr int kTimeoutSeconds = 600;
    return RunProgram({"/usr/bin/env", "ORBEL_DATAGEN_ONLY=audio", std::string(ORBEL_BINARY_DIR) + "/orbel_datagen",
                       assets.string(), (out / "data").string(), (out / "preview").string()},
                      kTimeoutSeconds);
}

TEST(SoundGenerator, SecondRunGivesIdenticalFiles) {
    ScopedTempDir dir;
    ChildResult run = GenerateSound(fs::path(ORBEL_SOURCE_DIR) / "assets", dir.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const Expected& e : kSounds) {
        SCOPED_TRACE(e.file);
        std::vector<uint8_t> fresh = ReadBytes(dir.Path() / "data" / "sfx" / e.file);
        EXPECT_FALSE(fresh.empty());
        EXPECT_TRUE(fresh == ReadBytes(kSfx / e.file));
    }
}

// A faulty song names its file and line and fails the run.
TEST(SoundGenerator, SongErrorsNameTheLine) {
    struct Case {
        const char* song;
        const char* message;
    };
    const Case cases[] = {
        {"tempo 90\npattern a\n  lead | C4 |\norder a\n", "hub.song:3: no instrument named 'lead'"},
        {"instrument lead\npattern a\n  lead | C4 | D4 |\n  lead | C4 |\norder a\n",
         "hub.song:4: this track has 1 bars"},
        {"instrument lead\npattern a\n  lead | H4 |\norder a\n", "hub.song:3: not a note: 'H4'"},
        {"instrument lead wave=violin\n", "hub.song:1: unknown wave 'violin'"},
        {"instrument lead\npattern a\n  lead | C4 |\norder a b\n", "hub.song:4: no pattern named 'b'"},
        {"instrument lead volume=9\n", "hub.song:1: volume must lie in 0..4"},
        {"instrument lead arp=nan\n", "hub.song:1: arp is not a number: 'nan'"},
        {"pattern a\norder a\n", "hub.song:2: the order plays no bars"},
        {"instrument lead transpose=40\npattern a\n  lead | C8 |\norder a\n", "hub.song:3: a note lies outside"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.song);
        ScopedTempDir dir;
        dir.Write("assets/sound/hub.song", c.song);
        ChildResult run = GenerateSound(dir.Path() / "assets", dir.Path());
        EXPECT_NE(run.exitCode, 0);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

}  // namespace
