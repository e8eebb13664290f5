// effects.cpp — recipes of the sound effects.
//
// Each effect is a few layers (tones that sweep in pitch, filtered noise,
// struck bells) placed in time. The levels are set by each effect's peak in
// dBFS: one-shot events around -4 dB, the footsteps that run for as long as
// a character walks much lower, so that at the game's music volume (0.5) the
// music still carries under everything.
#include "datagen/audio/effects.h"

#include <cmath>
#include <utility>

#include "datagen/audio/dsp.h"
#include "datagen/audio/sequencer.h"
#include "datagen/audio/voice.h"

namespace datagen::audio {

namespace {

constexpr double kDt = 1.0 / kSampleRate;

using Buffer = std::vector<float>;

Buffer Silence(double seconds) { return Buffer(static_cast<size_t>(seconds * kSampleRate)); }

size_t Frame(double seconds) { return static_cast<size_t>(std::llround(seconds * kSampleRate)); }

// A tone gliding exponentially from `from` to `to` Hz (time constant
// `glide`), with a linear attack and an exponential decay.
struct Tone {
    double from = 440, to = 440, glide = 0.05;
    double attack = 0.002, decay = 0.1;
    double amp = 0.5;
    Wave wave = Wave::Sine;
};

void AddTone(Buffer& out, double start, const Tone& tone) {
    double phase = 0;
    const size_t first = Frame(start);
    const size_t frames = Frame(tone.attack + tone.decay * 9.0);
    for (size_t i = 0; i < frames && first + i < out.size(); ++i) {
        double t = i * kDt;
        double freq = tone.to + (tone.from - tone.to) * std::exp(-t / tone.glide);
        double v = 0;
        switch (tone.wave) {
            case Wave::Triangle: v = 1.0 - 4.0 * std::fabs(phase - 0.5); break;
            default: v = SinCycles(phase); break;
        }
        phase += freq * kDt;
        phase -= std::floor(phase);
        double env = t < tone.attack ? t / tone.attack : std::exp(-(t - tone.attack) / tone.decay);
        out[first + i] += static_cast<float>(v * env * tone.amp);
    }
}

// Filtered noise whose filter centre glides from `from` to `to` Hz.
struct Noise {
    enum Kind { Low, Band, High } kind = Band;
    double from = 1000, to = 1000, glide = 0.05, resonance = 0.3;
    double attack = 0.001, decay = 0.05;
    double amp = 0.5;
    double length = 0;  // seconds of sustain at full level before the decay
};

void AddNoise(Buffer& out, double start, const Noise& noise, Rng& rng) {
    Svf filter;
    const size_t first = Frame(start);
    const size_t frames = Frame(noise.attack + noise.length + noise.decay * 9.0);
    for (size_t i = 0; i < frames && first + i < out.size(); ++i) {
        double t = i * kDt;
        if (i % 16 == 0)
            filter.SetCutoff(noise.to + (noise.from - noise.to) * std::exp(-t / noise.glide), noise.resonance);
        filter.Process(rng.Signed());
        double v = noise.kind == Noise::Low ? filter.low : noise.kind == Noise::High ? filter.high : filter.band;
        double env = t < noise.attack                  ? t / noise.attack
                     : t < noise.attack + noise.length ? 1.0
                                                       : std::exp(-(t - noise.attack - noise.length) / noise.decay);
        out[first + i] += static_cast<float>(v * env * noise.amp);
    }
}

// A struck bell or glassy tone from the music voices.
void AddBell(Buffer& out, double start, double midi, double amp, double decay, Rng& rng) {
    Instrument bell;
    bell.wave = Wave::Fm;
    bell.fmRatio = 3.5;
    bell.fmIndex = 0.9;
    bell.cutoff = 7000;  // a glassy ring, not a hiss
    bell.fmDecay = 0.08;
    bell.fmSustain = 0.1;
    bell.attack = 0.002;
    bell.decay = decay;
    bell.sustain = 0;
    bell.release = decay;
    bell.volume = amp;
    Mix mix(out.size());
    RenderVoice(bell, {0, start, decay * 4, midi, 1.0}, rng, mix);
    for (size_t i = 0; i < out.size(); ++i) out[i] += mix.left[i];
}

// A little room around a dry sound (mono in, mono out).
void AddRoom(Buffer& out, double wet) {
    Reverb room(0.7, 0.45);
    std::vector<float> left(out.size()), right(out.size());
    room.Process(out, left, right, wet);
    for (size_t i = 0; i < out.size(); ++i) out[i] += 0.5f * (left[i] + right[i]);
}

// Fades the last `seconds` to silence so a one-shot never ends on a step.
void FadeOut(Buffer& out, double seconds) {
    size_t n = std::min(out.size(), Frame(seconds));
    for (size_t i = 0; i < n; ++i) out[out.size() - 1 - i] *= static_cast<float>(static_cast<double>(i) / n);
}

void Level(Buffer& out, double peakDb) {
    double peak = 0;
    for (float v : out) peak = std::fmax(peak, std::fabs(static_cast<double>(v)));
    if (peak == 0) return;
    double gain = DbToGain(peakDb) / peak;
    for (float& v : out) v = static_cast<float>(v * gain);
}

// How a one-shot is rounded off: a little room, a fade to silence at the
// end, and its level.
struct Ending {
    double room = 0;     // reverb level, 0 for none
    double fade = 0.05;  // seconds
    double peakDb = -6;
};

// Rounds `out` off and hands it over.
Buffer Finish(Buffer& out, const Ending& ending) {
    if (ending.room > 0) AddRoom(out, ending.room);
    FadeOut(out, ending.fade);
    Level(out, ending.peakDb);
    return std::move(out);
}

// ---- the effects -----------------------------------------------------------

// Soft footsteps on packed snow and earth: four steps, left and right a
// little different, a dull heel thud under a short crunch. Each step's tail
// is folded onto the loop start so the loop runs without a seam.
Buffer Steps() {
    constexpr double kStep = 0.24;  // near the walk cycle: two steps per 7 frames of 66 ms
    constexpr int kSteps = 4;
    Rng rng(0x57E95);
    Buffer out = Silence(kStep * kSteps + 0.5);
    for (int s = 0; s < kSteps; ++s) {
        double at = s * kStep + rng.Range(-0.006, 0.006) + 0.002;
        double weight = (s % 2 == 0) ? 1.0 : 0.86;
        AddTone(out, at,
                {.from = 120 * weight, .to = 62, .glide = 0.02, .attack = 0.003, .decay = 0.03, .amp = 0.55 * weight});
        AddNoise(out, at,
                 {.kind = Noise::Low,
                  .from = 900,
                  .to = 500,
                  .glide = 0.03,
                  .resonance = 0.1,
                  .attack = 0.002,
                  .decay = 0.025,
                  .amp = 0.45},
                 rng);
        // The crunch: a few grains of snow giving way.
        for (int g = 0; g < 5; ++g) {
            double centre = rng.Range(1400, 3200);
            AddNoise(out, at + 0.004 + g * rng.Range(0.006, 0.012),
                     {.kind = Noise::Band,
                      .from = centre,
                      .to = centre,
                      .resonance = 0.45,
                      .attack = 0.001,
                      .decay = 0.009,
                      .amp = 0.22 * rng.Range(0.6, 1.0)},
                     rng);
        }
    }
    const size_t loop = Frame(kStep * kSteps);
    Buffer looped(out.begin(), out.begin() + loop);
    for (size_t i = loop; i < out.size(); ++i) looped[i - loop] += out[i];
    Level(looped, -12.0);
    return looped;
}

// A wooden crate landing: a deep thud, the boards' knock and a small rebound.
Buffer BoxFall() {
    Rng rng(0xB0F);
    Buffer out = Silence(0.5);
    AddTone(out, 0, {.from = 150, .to = 58, .glide = 0.025, .attack = 0.002, .decay = 0.07, .amp = 0.9});
    AddNoise(out, 0,
             {.kind = Noise::Low,
              .from = 1800,
              .to = 500,
              .glide = 0.02,
              .resonance = 0.2,
              .attack = 0.001,
              .decay = 0.03,
              .amp = 0.8},
             rng);
    AddNoise(
        out, 0.002,
        {.kind = Noise::Band, .from = 320, .to = 300, .resonance = 0.85, .attack = 0.001, .decay = 0.06, .amp = 0.6},
        rng);
    AddTone(out, 0.11, {.from = 120, .to = 70, .glide = 0.02, .attack = 0.002, .decay = 0.04, .amp = 0.25});
    AddNoise(out, 0.11,
             {.kind = Noise::Low, .from = 1200, .to = 500, .glide = 0.02, .attack = 0.001, .decay = 0.02, .amp = 0.25},
             rng);
    return Finish(out, {.room = 0.25, .fade = 0.05, .peakDb = -3.0});
}

// A crate bursting: a sharp crack, splintering crackles and a few boards
// clattering down.
Buffer BoxBreak() {
    Rng rng(0xB4EA);
    Buffer out = Silence(0.8);
    AddNoise(out, 0,
             {.kind = Noise::Band,
              .from = 2600,
              .to = 1200,
              .glide = 0.02,
              .resonance = 0.1,
              .attack = 0.0005,
              .decay = 0.015,
              .amp = 0.9},
             rng);
    AddTone(out, 0, {.from = 170, .to = 70, .glide = 0.03, .attack = 0.002, .decay = 0.06, .amp = 0.7});
    for (int c = 0; c < 12; ++c) {
        double at = 0.005 + rng.Unit() * rng.Unit() * 0.22;
        double centre = rng.Range(900, 3800);
        AddNoise(out, at,
                 {.kind = Noise::Band,
                  .from = centre,
                  .to = centre * 0.8,
                  .glide = 0.02,
                  .resonance = 0.6,
                  .attack = 0.0005,
                  .decay = rng.Range(0.006, 0.02),
                  .amp = rng.Range(0.3, 0.7)},
                 rng);
    }
    // Boards landing: short hollow knocks.
    const double boards[] = {0.16, 0.27, 0.35, 0.46};
    for (double at : boards) {
        double pitch = rng.Range(380, 720);
        AddTone(out, at,
                {.from = pitch * 1.1,
                 .to = pitch,
                 .glide = 0.01,
                 .attack = 0.001,
                 .decay = 0.025,
                 .amp = rng.Range(0.2, 0.35)});
        AddTone(out, at,
                {.from = pitch * 2.7, .to = pitch * 2.7, .glide = 0.01, .attack = 0.001, .decay = 0.01, .amp = 0.1});
    }
    return Finish(out, {.room = 0.3, .fade = 0.08, .peakDb = -3.0});
}

// A speech bubble popping open: a round, rising "bloop" with a small echo.
Buffer Bubble() {
    Buffer out = Silence(0.3);
    AddTone(out, 0, {.from = 330, .to = 880, .glide = 0.035, .attack = 0.004, .decay = 0.045, .amp = 0.8});
    AddTone(out, 0.07, {.from = 620, .to = 1250, .glide = 0.02, .attack = 0.003, .decay = 0.03, .amp = 0.35});
    return Finish(out, {.room = 0.25, .fade = 0.04, .peakDb = -6.0});
}

// A door opening: the latch, the creak of old wood on its hinge and a soft
// draught from the other side.
Buffer Door() {
    Rng rng(0xD00E);
    Buffer out = Silence(1.0);
    // Latch: two knocks.
    AddTone(out, 0, {.from = 1500, .to = 1300, .glide = 0.01, .attack = 0.0005, .decay = 0.012, .amp = 0.45});
    AddNoise(
        out, 0,
        {.kind = Noise::Band, .from = 2500, .to = 2500, .resonance = 0.5, .attack = 0.0005, .decay = 0.008, .amp = 0.5},
        rng);
    AddTone(out, 0.06, {.from = 260, .to = 160, .glide = 0.02, .attack = 0.001, .decay = 0.04, .amp = 0.6});
    // Creak: a slow, uneven buzz through a hollow resonance.
    {
        Svf body;
        body.SetCutoff(700, 0.8);
        Svf body2;
        body2.SetCutoff(1500, 0.7);
        double phase = 0;
        const size_t first = Frame(0.12), frames = Frame(0.55);
        for (size_t i = 0; i < frames; ++i) {
            double t = i * kDt;
            double rate = 55 + 40 * t / 0.55 + 12 * SinCycles(t * 7.3) + 6 * SinCycles(t * 17.1);
            phase += rate * kDt;
            phase -= std::floor(phase);
            double pulse = std::exp(-phase * 14.0);  // stick-slip: a sharp tick per cycle
            body.Process(pulse);
            body2.Process(pulse);
            double env = std::fmin(1.0, t / 0.08) * std::fmin(1.0, (0.55 - t) / 0.2);
            out[first + i] += static_cast<float>((body.band + 0.6 * body2.band) * env * 0.5);
        }
    }
    AddNoise(out, 0.1,
             {.kind = Noise::Low,
              .from = 300,
              .to = 1400,
              .glide = 0.35,
              .resonance = 0.2,
              .attack = 0.25,
              .decay = 0.15,
              .amp = 0.3,
              .length = 0.1},
             rng);
    return Finish(out, {.room = 0.3, .fade = 0.1, .peakDb = -4.0});
}

// A key picked up: a quick sparkle of bells going up an E major chord.
Buffer Key() {
    Rng rng(0x4E7);
    Buffer out = Silence(0.9);
    AddBell(out, 0.0, 76, 0.5, 0.12, rng);    // E5
    AddBell(out, 0.06, 80, 0.5, 0.14, rng);   // G#5
    AddBell(out, 0.12, 83, 0.6, 0.22, rng);   // B5
    AddBell(out, 0.18, 88, 0.25, 0.25, rng);  // E6, the glint on top
    return Finish(out, {.room = 0.35, .fade = 0.1, .peakDb = -5.0});
}

// A crate shoved along the floor: a nudge and a short, grainy scrape.
Buffer BoxPush() {
    Rng rng(0xB05);
    Buffer out = Silence(0.4);
    AddTone(out, 0, {.from = 110, .to = 75, .glide = 0.02, .attack = 0.003, .decay = 0.04, .amp = 0.5});
    Buffer scrape = Silence(0.4);
    AddNoise(scrape, 0.01,
             {.kind = Noise::Band,
              .from = 650,
              .to = 380,
              .glide = 0.12,
              .resonance = 0.55,
              .attack = 0.02,
              .decay = 0.06,
              .amp = 0.8,
              .length = 0.12},
             rng);
    // Stick-slip: the scrape comes in uneven grains.
    OnePole grains;
    grains.SetCutoff(60);
    for (float& v : scrape) v *= static_cast<float>(0.4 + 1.2 * std::fabs(grains.Process(rng.Signed() * 3.0)));
    for (size_t i = 0; i < out.size(); ++i) out[i] += scrape[i];
    return Finish(out, {.fade = 0.05, .peakDb = -8.0});
}

// A jump: a light upward "hup" with a puff of air.
Buffer Jump() {
    Rng rng(0x1A3);
    Buffer out = Silence(0.25);
    AddTone(
        out, 0,
        {.from = 260, .to = 720, .glide = 0.05, .attack = 0.006, .decay = 0.04, .amp = 0.7, .wave = Wave::Triangle});
    AddNoise(out, 0,
             {.kind = Noise::Band,
              .from = 800,
              .to = 2400,
              .glide = 0.04,
              .resonance = 0.3,
              .attack = 0.004,
              .decay = 0.03,
              .amp = 0.35},
             rng);
    return Finish(out, {.fade = 0.04, .peakDb = -7.0});
}

}  // namespace

std::vector<Effect> RenderEffects() {
    return {
        {"steps.wav", Steps(), true},      {"boxfall.wav", BoxFall(), false}, {"boxbreak.wav", BoxBreak(), false},
        {"bubble.wav", Bubble(), false},   {"door.wav", Door(), false},       {"key.wav", Key(), false},
        {"boxpush.wav", BoxPush(), false}, {"jump.wav", Jump(), false},
    };
}

}  // namespace datagen::audio
