// dsp.cpp — oscillators, envelopes, filters and reverb of the sound generator.
#include "datagen/audio/dsp.h"

#include <array>
#include <cmath>

namespace datagen::audio {

namespace {
constexpr int kSineTableSize = 4096;

const std::array<double, kSineTableSize + 1>& SineTable() {
    static const auto table = [] {
        std::array<double, kSineTableSize + 1> t{};
        for (int i = 0; i <= kSineTableSize; ++i) t[i] = std::sin(2.0 * kPi * i / kSineTableSize);
        return t;
    }();
    return table;
}
}  // namespace

double SinCycles(double phase) {
    const auto& table = SineTable();
    double x = (phase - std::floor(phase)) * kSineTableSize;
    int i = static_cast<int>(x);
    if (i >= kSineTableSize) i = kSineTableSize - 1;
    double frac = x - i;
    return table[i] + (table[i + 1] - table[i]) * frac;
}

double NoteFrequency(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

double DbToGain(double db) { return std::pow(10.0, db / 20.0); }

void Svf::SetCutoff(double hz, double resonance) {
    double nyquistSafe = std::fmin(hz, kSampleRate * 0.45);
    g_ = std::tan(kPi * std::fmax(nyquistSafe, 10.0) / kSampleRate);
    k_ = 2.0 - 2.0 * std::fmin(std::fmax(resonance, 0.0), 0.98);
    a1_ = 1.0 / (1.0 + g_ * (g_ + k_));
    a2_ = g_ * a1_;
    a3_ = g_ * a2_;
}

void Svf::Process(double in) {
    double v3 = in - ic2_;
    double v1 = a1_ * ic1_ + a2_ * v3;
    double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    low = v2;
    band = v1;
    high = in - k_ * v1 - v2;
}

void OnePole::SetCutoff(double hz) { coeff_ = 1.0 - std::exp(-2.0 * kPi * hz / kSampleRate); }

Adsr::Adsr(double attack, double decay, double sustain, double release, double held)
    : attackFrames_(std::lround(std::fmax(attack, 0.0005) * kSampleRate)),
      heldFrames_(std::lround(held * kSampleRate)),
      sustain_(sustain),
      decayFactor_(std::exp(-1.0 / (std::fmax(decay, 0.001) * kSampleRate))),
      releaseFactor_(std::exp(-1.0 / (std::fmax(release, 0.003) * kSampleRate))) {}

double Adsr::Next() {
    if (frame_ >= heldFrames_) {
        level_ *= releaseFactor_;
    } else if (frame_ < attackFrames_) {
        level_ = static_cast<double>(frame_ + 1) / attackFrames_;
    } else {
        level_ = sustain_ + (level_ - sustain_) * decayFactor_;
    }
    ++frame_;
    return level_;
}

Decay::Decay(double seconds) : factor_(std::exp(-1.0 / (std::fmax(seconds, 1e-4) * kSampleRate))) {}

double PolyBlep(double phase, double increment) {
    if (phase < increment) {
        double t = phase / increment;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - increment) {
        double t = (phase - 1.0) / increment;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

Reverb::Reverb(double roomSize, double damping)
    : feedback_(static_cast<float>(roomSize)), damping_(static_cast<float>(damping)) {
    // Mutually prime delay lengths (samples at 44.1 kHz); the right channel
    // is offset a little so the two sides decorrelate into a wide image.
    static const int kCombs[] = {1116, 1277, 1422, 1557, 1188, 1356};
    static const int kAllPasses[] = {556, 441, 341};
    constexpr int kSpread = 23;
    for (int side = 0; side < 2; ++side) {
        for (int length : kCombs) combs_[side].push_back({std::vector<float>(length + side * kSpread), 0, 0});
        for (int length : kAllPasses) allPasses_[side].push_back({std::vector<float>(length + side * kSpread), 0});
    }
}

void Reverb::Process(const std::vector<float>& send, std::vector<float>& left, std::vector<float>& right, double wet) {
    constexpr float kInputGain = 0.06f;
    constexpr float kAllPassFeedback = 0.5f;
    for (size_t i = 0; i < send.size(); ++i) {
        float in = send[i] * kInputGain;
        for (int side = 0; side < 2; ++side) {
            float sum = 0;
            for (Comb& c : combs_[side]) {
                float out = c.line[c.pos];
                c.store = out * (1.0f - damping_) + c.store * damping_;
                c.line[c.pos] = in + c.store * feedback_;
                if (++c.pos == c.line.size()) c.pos = 0;
                sum += out;
            }
            for (AllPass& a : allPasses_[side]) {
                float buffered = a.line[a.pos];
                float out = buffered - sum;
                a.line[a.pos] = sum + buffered * kAllPassFeedback;
                if (++a.pos == a.line.size()) a.pos = 0;
                sum = out;
            }
            std::vector<float>& dest = side == 0 ? left : right;
            dest[i] += static_cast<float>(sum * wet);
        }
    }
}

}  // namespace datagen::audio
