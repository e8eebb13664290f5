// dsp.h — the building blocks of the sound generator: a seeded noise source,
// a table sine, band-limited oscillators, envelopes, filters and a small
// stereo reverb.
//
// Everything here is plain IEEE double arithmetic (no fast-math, no
// threads, no time or address dependence) and every random choice comes from
// a seeded `Rng`, so the same recipe gives the same samples on every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace datagen::audio {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// A small deterministic random source (xorshift32). Seeded per sound so that
// changing one recipe never changes the noise of another.
class Rng final {
public:
    explicit Rng(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Uniform in [0, 1).
    double Unit() { return (Next() >> 8) * (1.0 / 16777216.0); }
    // Uniform in [-1, 1).
    double Signed() { return Unit() * 2.0 - 1.0; }
    double Range(double low, double high) { return low + (high - low) * Unit(); }

private:
    uint32_t state_;
};

// sin(2π·phase) for a phase measured in cycles, from a table with linear
// interpolation (error below 1e-6, far under 16-bit resolution).
double SinCycles(double phase);

// Frequency of a MIDI note number (69 = A4 = 440 Hz).
double NoteFrequency(double midi);
// Decibels to a linear factor.
double DbToGain(double db);

// Zero-delay-feedback state-variable filter; gives low, band and high pass
// at once. `SetCutoff` is cheap enough to call every few samples.
class Svf final {
public:
    void SetCutoff(double hz, double resonance);
    // Runs one sample; the three outputs are read afterwards.
    void Process(double in);
    double low = 0, band = 0, high = 0;

private:
    double g_ = 0.5, k_ = 1.4, a1_ = 0, a2_ = 0, a3_ = 0;
    double ic1_ = 0, ic2_ = 0;
};

// One-pole low pass (smoothing, darkening noise).
class OnePole final {
public:
    void SetCutoff(double hz);
    double Process(double in) { return state_ += coeff_ * (in - state_); }

private:
    double coeff_ = 1, state_ = 0;
};

// Attack / decay / sustain / release envelope with times in seconds, run
// sample by sample. The attack is linear, decay and release are exponential
// approaches (one multiply per sample).
class Adsr final {
public:
    // `held`: seconds until the key is released.
    Adsr(double attack, double decay, double sustain, double release, double held);
    double Next();
    // How long after the key is released the level has fallen below -80 dB.
    static double Tail(double release) { return release * 9.3; }

private:
    long attackFrames_, heldFrames_, frame_ = 0;
    double sustain_, decayFactor_, releaseFactor_, level_ = 0;
};

// An exponential decay run sample by sample: starts at 1, falls by 1/e
// every `seconds`.
class Decay final {
public:
    explicit Decay(double seconds);
    double Next() {
        double v = level_;
        level_ *= factor_;
        return v;
    }

private:
    double factor_, level_ = 1.0;
};

// Band-limiting correction for a step of size 2 at phase 0 (PolyBLEP), for
// saw and pulse oscillators at musical pitches.
double PolyBlep(double phase, double increment);

// A small stereo reverb (parallel damped combs into series all-passes),
// tuned to sound like a wooden room rather than a hall.
class Reverb final {
public:
    Reverb(double roomSize, double damping);
    // Adds the reverb of the mono `send` to `left`/`right` with `wet` gain.
    void Process(const std::vector<float>& send, std::vector<float>& left, std::vector<float>& right, double wet);

private:
    struct Comb {
        std::vector<float> line;
        std::size_t pos = 0;
        float store = 0;
    };
    struct AllPass {
        std::vector<float> line;
        std::size_t pos = 0;
    };
    std::vector<Comb> combs_[2];
    std::vector<AllPass> allPasses_[2];
    float feedback_, damping_;
};

}  // namespace datagen::audio
