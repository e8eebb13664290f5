// voice.cpp — oscillator, plucked-string and drum voices.
#include "datagen/audio/voice.h"

#include <cmath>

namespace datagen::audio {

namespace {

constexpr double kDt = 1.0 / kSampleRate;
// Filters follow their envelopes in blocks of this many samples.
constexpr int kControlBlock = 16;

struct Panner {
    explicit Panner(double pan) {
        double angle = (std::fmax(-1.0, std::fmin(1.0, pan)) + 1.0) * kPi / 4.0;
        left = std::cos(angle) * std::sqrt(2.0);
        right = std::sin(angle) * std::sqrt(2.0);
    }
    double left, right;
};

void Put(Mix& mix, size_t at, double value, const Panner& panner, double send) {
    mix.left[at] += static_cast<float>(value * panner.left);
    mix.right[at] += static_cast<float>(value * panner.right);
    mix.send[at] += static_cast<float>(value * send);
}

double Oscillator(Wave wave, double phase, double increment) {
    switch (wave) {
        case Wave::Triangle: return 1.0 - 4.0 * std::fabs(phase - 0.5);
        case Wave::Saw: return 2.0 * phase - 1.0 - PolyBlep(phase, increment);
        case Wave::Square: {
            double shifted = phase + 0.5 - std::floor(phase + 0.5);
            return (phase < 0.5 ? 1.0 : -1.0) + PolyBlep(phase, increment) - PolyBlep(shifted, increment);
        }
        default: return SinCycles(phase);
    }
}

void RenderTonal(const Instrument& in, const NoteEvent& note, size_t first, size_t frames, Mix& mix) {
    Adsr env(in.attack, in.decay, in.sustain, in.release, note.length);
    const Panner panner(in.pan);
    const double base = NoteFrequency(note.midi);
    const double detuneRatio = std::pow(2.0, in.detune / 1200.0);
    const bool filtered = in.cutoff < 19000 || in.envCutoff > 0;
    const double amp = in.volume * note.velocity;
    Decay fmEnv(in.fmDecay);
    Svf filter;
    double phase = 0, phase2 = 0.37, modPhase = 0;
    double inc = base * kDt;
    for (size_t i = 0; i < frames; ++i) {
        if (i % kControlBlock == 0) {
            const double t = i * kDt;
            double freq = base;
            if (in.vibrato > 0) {
                double depth = in.vibrato * std::fmin(1.0, t / std::fmax(in.vibratoDelay, 0.01));
                freq *= std::pow(2.0, depth * SinCycles(t * in.vibratoRate) / 1200.0);
            }
            inc = freq * kDt;
            if (filtered) {
                // The cut-off envelope advances a whole block at a time.
                double cutEnv = std::exp(-t / in.cutoffDecay);
                filter.SetCutoff(in.cutoff + in.envCutoff * cutEnv, in.resonance);
            }
        }
        double v;
        if (in.wave == Wave::Fm) {
            double index = in.fmIndex * (in.fmSustain + (1.0 - in.fmSustain) * fmEnv.Next());
            v = SinCycles(phase + index * SinCycles(modPhase));
            modPhase += inc * in.fmRatio;
            if (modPhase >= 1.0) modPhase -= std::floor(modPhase);
        } else {
            v = Oscillator(in.wave, phase, inc);
        }
        if (in.detune != 0) {
            v = 0.5 * (v + Oscillator(in.wave == Wave::Fm ? Wave::Sine : in.wave, phase2, inc * detuneRatio));
            phase2 += inc * detuneRatio;
            if (phase2 >= 1.0) phase2 -= 1.0;
        }
        phase += inc;
        if (phase >= 1.0) phase -= 1.0;
        if (filtered) {
            filter.Process(v);
            v = filter.low;
        }
        Put(mix, first + i, v * amp * env.Next(), panner, in.reverb);
    }
}

// A plucked string (Karplus–Strong): a noise burst circulating in a delay
// line one period long, softened a little on every pass.
void RenderPluck(const Instrument& in, const NoteEvent& note, Rng& rng, size_t first, size_t frames, Mix& mix) {
    Adsr env(0.001, 10.0, 1.0, in.release, note.length);
    const Panner panner(in.pan);
    const double freq = NoteFrequency(note.midi);
    // The averaging filter delays by half a sample; the line is shortened to match.
    const double period = kSampleRate / freq - 0.5;
    const size_t size = static_cast<size_t>(period) + 4;
    const size_t burstLength = static_cast<size_t>(period);
    std::vector<double> burst(burstLength);
    OnePole burstFilter;
    burstFilter.SetCutoff(300.0 + 9000.0 * in.brightness * note.velocity);
    for (double& b : burst) b = burstFilter.Process(rng.Signed());
    // Loss per pass so that the string falls by 60 dB over `decay` seconds.
    const double loss = std::pow(10.0, -3.0 / (std::fmax(in.decay, 0.05) * freq));
    const double amp = in.volume * note.velocity;
    std::vector<double> history(size);  // the string's past output, circular
    const bool filtered = in.cutoff < 19000;
    Svf filter;
    if (filtered) filter.SetCutoff(in.cutoff, in.resonance);
    for (size_t i = 0; i < frames; ++i) {
        // y[n] = burst[n] + loss · (y[n − period] + y[n − period − 1]) / 2
        double back = static_cast<double>(i) - period;
        double feedback = 0;
        if (back >= 1.0) {
            size_t b0 = static_cast<size_t>(back);
            double frac = back - b0;
            double y0 = history[b0 % size] * (1.0 - frac) + history[(b0 + 1) % size] * frac;
            double y1 = history[(b0 - 1) % size] * (1.0 - frac) + history[b0 % size] * frac;
            feedback = loss * 0.5 * (y0 + y1);
        }
        double y = (i < burstLength ? burst[i] : 0.0) + feedback;
        history[i % size] = y;
        double v = y;
        if (filtered) {
            filter.Process(v);
            v = filter.low;
        }
        Put(mix, first + i, v * amp * env.Next(), panner, in.reverb);
    }
}

void RenderDrum(const Instrument& in, const NoteEvent& note, Rng& rng, size_t first, size_t frames, Mix& mix) {
    const Panner panner(in.pan);
    const double amp = in.volume * note.velocity;
    const double attackFrames = std::fmax(in.attack, 0.0005) * kSampleRate;
    Decay body(in.decay);
    Svf filter;
    OnePole smooth;
    double phase = 0;
    switch (in.wave) {
        case Wave::Kick: {
            const double tune = in.tune > 0 ? in.tune : 52.0;
            smooth.SetCutoff(2500);
            Decay sweep(0.03), click(0.004);
            for (size_t i = 0; i < frames; ++i) {
                double v = SinCycles(phase) * body.Next() + smooth.Process(rng.Signed()) * click.Next() * 0.5;
                phase += tune * (1.0 + 2.5 * sweep.Next()) * kDt;
                Put(mix, first + i, v * std::fmin(1.0, i / (0.002 * kSampleRate)) * amp, panner, in.reverb);
            }
            break;
        }
        case Wave::Snare: {
            const double tune = in.tune > 0 ? in.tune : 185.0;
            filter.SetCutoff(3200, 0.2);
            Decay tone(0.045);
            for (size_t i = 0; i < frames; ++i) {
                filter.Process(rng.Signed());
                double v = SinCycles(phase) * tone.Next() * 0.5 + 3.0 * filter.band * body.Next();
                phase += tune * kDt;
                Put(mix, first + i, v * std::fmin(1.0, i / attackFrames) * amp, panner, in.reverb);
            }
            break;
        }
        case Wave::Hat:
        case Wave::Shaker: {
            const bool hat = in.wave == Wave::Hat;
            const double tune = in.tune > 0 ? in.tune : hat ? 7500.0 : 5200.0;
            filter.SetCutoff(tune, hat ? 0.1 : 0.35);
            for (size_t i = 0; i < frames; ++i) {
                filter.Process(rng.Signed());
                double v = hat ? filter.high : filter.band * 4.0;
                Put(mix, first + i, v * std::fmin(1.0, i / attackFrames) * body.Next() * amp, panner, in.reverb);
            }
            break;
        }
        default: {  // wood block
            const double tune = in.tune > 0 ? in.tune : 880.0;
            double phase2 = 0;
            smooth.SetCutoff(4000);
            Decay overtone(in.decay * 0.4), click(0.002);
            for (size_t i = 0; i < frames; ++i) {
                double v = SinCycles(phase) * body.Next() + 0.35 * SinCycles(phase2) * overtone.Next() +
                           0.3 * smooth.Process(rng.Signed()) * click.Next();
                phase += tune * kDt;
                phase2 += tune * 2.76 * kDt;
                Put(mix, first + i, v * std::fmin(1.0, i / (0.0005 * kSampleRate)) * amp, panner, in.reverb);
            }
            break;
        }
    }
}

}  // namespace

double VoiceSeconds(const Instrument& in, double held) {
    if (in.IsDrum()) return std::fmax(in.decay, 0.005) * 9.0 + 0.01;
    if (in.wave == Wave::Pluck) return held + std::fmin(std::fmax(in.decay, 0.05), Adsr::Tail(in.release));
    return held + Adsr::Tail(in.release);
}

void RenderVoice(const Instrument& instrument, const NoteEvent& note, Rng& rng, Mix& mix) {
    if (note.start < 0) return;
    size_t first = static_cast<size_t>(std::llround(note.start * kSampleRate));
    if (first >= mix.Frames()) return;
    size_t frames = static_cast<size_t>(VoiceSeconds(instrument, note.length) * kSampleRate);
    if (frames > mix.Frames() - first) frames = mix.Frames() - first;
    if (instrument.IsDrum())
        RenderDrum(instrument, note, rng, first, frames, mix);
    else if (instrument.wave == Wave::Pluck)
        RenderPluck(instrument, note, rng, first, frames, mix);
    else
        RenderTonal(instrument, note, first, frames, mix);
}

}  // namespace datagen::audio
