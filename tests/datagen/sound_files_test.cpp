// The generated effects and music: formats the game reads, lengths, levels,
// seamless loops, clean starts and ends, and byte-identical regeneration.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#define STB_VORBIS_HEADER_ONLY
#include "stb_vorbis.h"  // the game's Ogg decoder (implementation in libstb)

namespace {

namespace fs = std::filesystem;

const fs::path kSfx = fs::path(ORBEL_BINARY_DIR) / "data" / "sfx";

struct Pcm {
    int formatCode = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;  // interleaved
    size_t Frames() const { return channels ? samples.size() / channels : 0; }
};

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + i);
    return v;
}

// Reads a WAV the way the game does: RIFF, WAVE, "fmt " first, then chunks
// up to "data".
bool ReadWav(const fs::path& path, Pcm& pcm) {
    std::vector<uint8_t> b = ReadBytes(path);
    auto tag = [&](size_t at) { return at + 4 <= b.size() ? std::string(b.begin() + at, b.begin() + at + 4) : ""; };
    if (tag(0) != "RIFF" || tag(8) != "WAVE" || tag(12) != "fmt ") return false;
    uint32_t fmtSize = Le(b, 16, 4);
    pcm.formatCode = Le(b, 20, 2);
    pcm.channels = Le(b, 22, 2);
    pcm.rate = Le(b, 24, 4);
    pcm.bits = Le(b, 34, 2);
    for (size_t at = 20 + fmtSize; at + 8 <= b.size();) {
        uint32_t size = Le(b, at + 4, 4);
        if (tag(at) == "data") {
            if (at + 8 + size > b.size() || pcm.bits != 16) return false;
            for (size_t i = 0; i + 1 < size; i += 2)
                pcm.samples.push_back(static_cast<int16_t>(Le(b, at + 8 + i, 2)));
            return true;
        }
        at += 8 + size;
    }
    return false;
}

bool ReadOgg(const fs::path& path, Pcm& pcm) {
    short* output = nullptr;
    int frames = stb_vorbis_decode_filename(path.c_str(), &pcm.channels, &pcm.rate, &output);
    if (frames <= 0 || output == nullptr) return false;
    pcm.formatCode = 1;
    pcm.bits = 16;
    pcm.samples.assign(output, output + static_cast<size_t>(frames) * pcm.channels);
    std::free(output);
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
    {"steps.wav", 1, 0.4, 2.0, true, -20},
    {"boxfall.wav", 1, 0.1, 1.2, false, -9},
    {"boxbreak.wav", 1, 0.2, 1.5, false, -9},
    {"bubble.wav", 1, 0.05, 0.8, false, -12},
    {"door.wav", 1, 0.2, 2.0, false, -9},
    {"key.wav", 1, 0.2, 1.5, false, -12},
    {"boxpush.wav", 1, 0.1, 1.0, false, -14},
    {"jump.wav", 1, 0.05, 0.8, false, -14},
    {"orbel_intro_bgm.ogg", 2, 40, 90, true, -6},
    {"orbel_level_bgm.ogg", 2, 40, 90, true, -6},
    {"orbel_credits_bgm.ogg", 2, 40, 90, true, -6},
};

bool Load(const Expected& e, Pcm& pcm) {
    fs::path path = kSfx / e.file;
    return fs::path(e.file).extension() == ".wav" ? ReadWav(path, pcm) : ReadOgg(path, pcm);
}

double Db(double v) { return 20.0 * std::log10(std::fmax(v, 1e-9)); }

TEST(SoundFiles, FormatLengthAndLevels) {
    for (const Expected& e : kSounds) {
        SCOPED_TRACE(e.file);
        Pcm pcm;
        ASSERT_TRUE(Load(e, pcm));
        EXPECT_EQ(pcm.formatCode, 1);
        EXPECT_EQ(pcm.bits, 16);
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

class Generator : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("orbel_sound_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs the generator's sound part from `assets` into dir_/data; returns
    // its exit code, with standard error in `errors`.
    int Run(const fs::path& assets, std::string& errors) {
        std::string command = "ORBEL_DATAGEN_ONLY=audio '" + std::string(ORBEL_BINARY_DIR) + "/orbel_datagen' '" +
                              assets.string() + "' '" + (dir_ / "data").string() + "' '" +
                              (dir_ / "preview").string() + "' > /dev/null 2> '" + (dir_ / "errors.txt").string() + "'";
        int status = std::system(command.c_str());
        std::vector<uint8_t> err = ReadBytes(dir_ / "errors.txt");
        errors.assign(err.begin(), err.end());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    fs::path dir_;
};

TEST_F(Generator, SecondRunGivesIdenticalFiles) {
    std::string errors;
    ASSERT_EQ(Run(fs::path(ORBEL_SOURCE_DIR) / "assets", errors), 0) << errors;
    for (const Expected& e : kSounds) {
        SCOPED_TRACE(e.file);
        std::vector<uint8_t> fresh = ReadBytes(dir_ / "data" / "sfx" / e.file);
        EXPECT_FALSE(fresh.empty());
        EXPECT_TRUE(fresh == ReadBytes(kSfx / e.file));
    }
}

// A faulty song names its file and line and fails the run.
TEST_F(Generator, SongErrorsNameTheLine) {
    struct Case {
        const char* song;
        const char* message;
    };
    const Case cases[] = {
        {"tempo 90\npattern a\n  lead | C4 |\norder a\n", "hub.song:3: no instrument named 'lead'"},
        {"instrument lead\npattern a\n  lead | C4 | D4 |\n  lead | C4 |\norder a\n", "hub.song:4: this track has 1 bars"},
        {"instrument lead\npattern a\n  lead | H4 |\norder a\n", "hub.song:3: not a note: 'H4'"},
        {"instrument lead wave=violin\n", "hub.song:1: unknown wave 'violin'"},
        {"instrument lead\npattern a\n  lead | C4 |\norder a b\n", "hub.song:4: no pattern named 'b'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.song);
        fs::path assets = dir_ / "assets";
        fs::create_directories(assets / "sound");
        std::ofstream(assets / "sound" / "hub.song", std::ios::trunc) << c.song;
        std::string errors;
        EXPECT_NE(Run(assets, errors), 0);
        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
    }
}

}  // namespace
