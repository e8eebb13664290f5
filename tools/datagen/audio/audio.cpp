// audio.cpp — the sound part of the data generator: the effects as 16-bit
// WAV and the songs of assets/sound as Ogg Vorbis, all under data/sfx.
//
// Encoding the music is the slowest step of the generator, so each output
// remembers (in preview/sound) a hash of the generator binary and of its
// source; a later run whose hash matches and whose output is still there
// skips that file. Since the binary is part of the hash, any change to the
// recipes or the synthesizer renders everything again.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "datagen/audio/dsp.h"
#include "datagen/audio/effects.h"
#include "datagen/audio/encode.h"
#include "datagen/audio/sequencer.h"
#include "datagen/audio/song.h"
#include "datagen/generators.h"

namespace datagen {

namespace {

using namespace audio;

struct SongFile {
    const char* source;  // under assets/sound
    const char* output;  // under data/sfx
    uint32_t serial;     // Ogg stream serial number: fixed, so the bytes are too
};

const SongFile kSongs[] = {
    {"hub.song", "orbel_intro_bgm.ogg", 0x0B0E1001u},
    {"level.song", "orbel_level_bgm.ogg", 0x0B0E1002u},
    {"credits.song", "orbel_credits_bgm.ogg", 0x0B0E1003u},
};

// Music sits well below the effects' peaks: the game also plays it at half
// volume. Vorbis may overshoot the source by a little, hence the peak margin.
constexpr double kMusicRmsDb = -16.0;
constexpr double kMusicPeak = 0.75;
constexpr float kVorbisQuality = 0.4f;  // about 128 kbit/s for stereo at 44.1 kHz

uint64_t Fnv1a(const std::string& bytes, uint64_t hash = 0xCBF29CE484222325ull) {
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001B3ull;
    }
    return hash;
}

bool ReadText(const fs::path& path, std::string& text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

// Identity of this generator build: the bytes of its own executable.
uint64_t GeneratorHash() {
    std::string self;
    if (!ReadText("/proc/self/exe", self)) return 0;
    return Fnv1a(self);
}

class OutputCache {
public:
    OutputCache(fs::path folder, uint64_t generator) : folder_(std::move(folder)), generator_(generator) {
        std::error_code ec;
        fs::create_directories(folder_, ec);
    }
    std::string Key(const std::string& source) const {
        char text[32];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(Fnv1a(source, generator_)));
        return text;
    }
    // True when `output` exists and was made from the same source by this build.
    bool Fresh(const fs::path& output, const std::string& key) const {
        if (generator_ == 0 || !fs::exists(output)) return false;
        std::string stored;
        return ReadText(KeyFile(output), stored) && stored == key;
    }
    void Remember(const fs::path& output, const std::string& key) const {
        std::ofstream(KeyFile(output), std::ios::trunc) << key;
    }

private:
    fs::path KeyFile(const fs::path& output) const { return folder_ / (output.filename().string() + ".key"); }
    fs::path folder_;
    uint64_t generator_;
};

void Report(const std::string& name, const std::vector<float>& a, const std::vector<float>* b) {
    double peak = 0, sum = 0;
    size_t n = 0;
    for (const std::vector<float>* channel : {&a, b}) {
        if (!channel) continue;
        for (float v : *channel) {
            peak = std::fmax(peak, std::fabs(static_cast<double>(v)));
            sum += static_cast<double>(v) * v;
        }
        n += channel->size();
    }
    double rms = n ? std::sqrt(sum / n) : 0;
    std::printf("  sfx/%-24s %6.2f s  peak %6.1f dBFS  rms %6.1f dBFS\n", name.c_str(),
                static_cast<double>(a.size()) / kSampleRate, 20 * std::log10(std::fmax(peak, 1e-9)),
                20 * std::log10(std::fmax(rms, 1e-9)));
}

}  // namespace

bool GenerateAudio(const fs::path& assets, const fs::path& data, const fs::path& preview) {
    const fs::path out = data / "sfx";
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec) {
        std::fprintf(stderr, "audio: cannot create %s: %s\n", out.string().c_str(), ec.message().c_str());
        return false;
    }
    OutputCache cache(preview / "sound", GeneratorHash());
    bool ok = true;

    // Effects: their recipes live in the generator itself.
    const std::string effectsKey = cache.Key("effects");
    bool effectsFresh = true;
    for (const char* name :
         {"steps.wav", "boxfall.wav", "boxbreak.wav", "bubble.wav", "door.wav", "key.wav", "boxpush.wav", "jump.wav"})
        effectsFresh = effectsFresh && cache.Fresh(out / name, effectsKey);
    if (!effectsFresh) {
        for (const Effect& effect : RenderEffects()) {
            if (!WriteFile(out / effect.file, EncodeWav(effect.mono, kSampleRate))) {
                std::fprintf(stderr, "audio: cannot write %s\n", (out / effect.file).string().c_str());
                ok = false;
                continue;
            }
            cache.Remember(out / effect.file, effectsKey);
            Report(effect.file, effect.mono, nullptr);
        }
    }

    for (const SongFile& song : kSongs) {
        const fs::path source = assets / "sound" / song.source;
        const fs::path target = out / song.output;
        std::string text;
        if (!ReadText(source, text)) {
            std::fprintf(stderr, "audio: cannot read %s\n", source.string().c_str());
            ok = false;
            continue;
        }
        const std::string key = cache.Key(text);
        if (cache.Fresh(target, key)) continue;
        try {
            Song parsed = ParseSong(text, source.string());
            StereoLoop loop = RenderSong(parsed, song.serial, kMusicRmsDb, kMusicPeak);
            std::vector<uint8_t> bytes;
            std::string error;
            if (!EncodeOggVorbis(loop.left, loop.right, kSampleRate, kVorbisQuality, song.serial, bytes, error)) {
                std::fprintf(stderr, "audio: %s: %s\n", song.output, error.c_str());
                ok = false;
                continue;
            }
            if (!WriteFile(target, bytes)) {
                std::fprintf(stderr, "audio: cannot write %s\n", target.string().c_str());
                ok = false;
                continue;
            }
            cache.Remember(target, key);
            Report(song.output, loop.left, &loop.right);
            std::ofstream levels(preview / "sound" / (std::string(song.output) + ".levels.txt"), std::ios::trunc);
            levels << parsed.title << ": " << parsed.loopSeconds << " s, " << parsed.events.size() << " notes\n";
            for (const auto& [name, db] : loop.levels) levels << "  " << name << " " << db << " dBFS\n";
        } catch (const SongError& e) {
            std::fprintf(stderr, "audio: %s\n", e.what());
            ok = false;
        }
    }
    return ok;
}

}  // namespace datagen
