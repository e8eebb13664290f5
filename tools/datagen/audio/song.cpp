// song.cpp — reader of the song format described in song.h.
#include "datagen/audio/song.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

namespace datagen::audio {

namespace {

constexpr double kLongestSong = 600;  // seconds; keeps the render buffers in reason
// Notes are played within the piano's range and a little beyond.
constexpr int kLowestNote = 12, kHighestNote = 120;

struct TrackLine {
    std::string track;
    std::vector<std::vector<std::string>> bars;
    int line = 0;
};

struct Pattern {
    std::vector<TrackLine> tracks;
    int bars = 0;
};

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

class Reader {
public:
    explicit Reader(const std::string& source) : source_(source) {}

    [[noreturn]] void Fail(int line, const std::string& what) const {
        throw SongError(source_ + ":" + std::to_string(line) + ": " + what);
    }

    double Number(const std::string& text, int line, const std::string& what) const {
        char* end = nullptr;
        double v = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !std::isfinite(v)) Fail(line, what + " is not a number: '" + text + "'");
        return v;
    }

    static std::string Format(double v) {
        std::ostringstream out;
        out << v;
        return out.str();
    }

    // "C4" → 60, "F#3" → 54, "Bb5" → 82; pitch class only when no octave is given.
    bool PitchClass(const std::string& text, size_t& pos, int& pc) const {
        static const int kNatural[] = {9, 11, 0, 2, 4, 5, 7};  // A..G
        if (pos >= text.size() || text[pos] < 'A' || text[pos] > 'G') return false;
        pc = kNatural[text[pos] - 'A'];
        ++pos;
        if (pos < text.size() && (text[pos] == '#' || text[pos] == 'b')) {
            pc += text[pos] == '#' ? 1 : -1;
            ++pos;
        }
        pc = (pc + 12) % 12;
        return true;
    }

    int NoteNumber(const std::string& text, int line) const {
        size_t pos = 0;
        int pc = 0;
        if (!PitchClass(text, pos, pc) || pos + 1 != text.size() ||
            !std::isdigit(static_cast<unsigned char>(text[pos])))
            Fail(line, "not a note: '" + text + "' (expected e.g. C4, F#3, Bb5)");
        return pc + 12 * (text[pos] - '0' + 1);
    }

    // Chord symbol → pitch classes (root first) and the bass pitch class.
    std::vector<int> Chord(const std::string& text, int line, int& bass) const {
        static const std::map<std::string, std::vector<int>> kQualities = {
            {"", {0, 4, 7}},         {"m", {0, 3, 7}},           {"7", {0, 4, 7, 10}},     {"maj7", {0, 4, 7, 11}},
            {"m7", {0, 3, 7, 10}},   {"6", {0, 4, 7, 9}},        {"m6", {0, 3, 7, 9}},     {"sus2", {0, 2, 7}},
            {"sus4", {0, 5, 7}},     {"7sus4", {0, 5, 7, 10}},   {"add9", {0, 4, 7, 2}},   {"madd9", {0, 3, 7, 2}},
            {"9", {0, 4, 7, 10, 2}}, {"maj9", {0, 4, 7, 11, 2}}, {"m9", {0, 3, 7, 10, 2}}, {"dim", {0, 3, 6}},
            {"aug", {0, 4, 8}},      {"6add9", {0, 4, 7, 9, 2}}};
        std::string symbol = text;
        size_t slash = symbol.find('/');
        std::string over;
        if (slash != std::string::npos) {
            over = symbol.substr(slash + 1);
            symbol = symbol.substr(0, slash);
        }
        size_t pos = 0;
        int root = 0;
        if (!PitchClass(symbol, pos, root)) Fail(line, "not a chord: '" + text + "'");
        auto quality = kQualities.find(symbol.substr(pos));
        if (quality == kQualities.end()) Fail(line, "unknown chord quality in '" + text + "'");
        bass = root;
        if (!over.empty()) {
            size_t overPos = 0;
            if (!PitchClass(over, overPos, bass) || overPos != over.size())
                Fail(line, "bad bass note in '" + text + "'");
        }
        std::vector<int> pcs;
        for (int interval : quality->second) pcs.push_back((root + interval) % 12);
        return pcs;
    }

    void SetParameter(Instrument& in, const std::string& key, const std::string& value, int line) {
        static const std::map<std::string, Wave> kWaves = {
            {"sine", Wave::Sine}, {"triangle", Wave::Triangle}, {"saw", Wave::Saw},   {"square", Wave::Square},
            {"fm", Wave::Fm},     {"pluck", Wave::Pluck},       {"kick", Wave::Kick}, {"snare", Wave::Snare},
            {"hat", Wave::Hat},   {"shaker", Wave::Shaker},     {"wood", Wave::Wood}};
        // Each setting with the range that keeps the synthesizer sane.
        struct Setting {
            double* value;
            double low, high;
        };
        const std::map<std::string, Setting> numbers = {{"volume", {&in.volume, 0, 4}},
                                                        {"pan", {&in.pan, -1, 1}},
                                                        {"reverb", {&in.reverb, 0, 2}},
                                                        {"attack", {&in.attack, 0, 10}},
                                                        {"decay", {&in.decay, 0.001, 30}},
                                                        {"sustain", {&in.sustain, 0, 1}},
                                                        {"release", {&in.release, 0, 10}},
                                                        {"detune", {&in.detune, -100, 100}},
                                                        {"cutoff", {&in.cutoff, 20, 20000}},
                                                        {"resonance", {&in.resonance, 0, 0.98}},
                                                        {"envcutoff", {&in.envCutoff, 0, 20000}},
                                                        {"cutoffdecay", {&in.cutoffDecay, 0.001, 30}},
                                                        {"vibrato", {&in.vibrato, 0, 200}},
                                                        {"vibratorate", {&in.vibratoRate, 0, 20}},
                                                        {"vibratodelay", {&in.vibratoDelay, 0, 10}},
                                                        {"fmratio", {&in.fmRatio, 0, 16}},
                                                        {"fmindex", {&in.fmIndex, 0, 10}},
                                                        {"fmdecay", {&in.fmDecay, 0.001, 30}},
                                                        {"fmsustain", {&in.fmSustain, 0, 1}},
                                                        {"brightness", {&in.brightness, 0, 1}},
                                                        {"tune", {&in.tune, 0, 15000}},
                                                        {"strum", {&in.strum, 0, 0.5}},
                                                        {"humanize", {&in.humanize, 0, 0.05}},
                                                        {"arp", {&in.arpRate, 0.25, 8}},
                                                        {"gate", {&in.gate, 0.05, 1}}};
        if (key == "wave") {
            auto w = kWaves.find(value);
            if (w == kWaves.end()) Fail(line, "unknown wave '" + value + "'");
            in.wave = w->second;
        } else if (key == "chords") {
            if (value == "full")
                in.chords = Instrument::Chords::Full;
            else if (value == "root")
                in.chords = Instrument::Chords::Root;
            else if (value == "arp")
                in.chords = Instrument::Chords::Arp;
            else
                Fail(line, "chords must be full, root or arp, not '" + value + "'");
        } else if (key == "low") {
            in.chordLow = NoteNumber(value, line);
        } else if (key == "transpose") {
            double v = Number(value, line, key);
            if (v < -48 || v > 48) Fail(line, "transpose must lie in -48..48");
            in.transpose = static_cast<int>(v);
        } else if (key == "key") {
            if (value.size() != 1 || !std::islower(static_cast<unsigned char>(value[0])))
                Fail(line, "a drum key is one lower-case letter, not '" + value + "'");
            in.key = value[0];
        } else if (auto n = numbers.find(key); n != numbers.end()) {
            double v = Number(value, line, key);
            if (v < n->second.low || v > n->second.high)
                Fail(line, key + " must lie in " + Format(n->second.low) + ".." + Format(n->second.high));
            *n->second.value = v;
        } else {
            Fail(line, "unknown instrument setting '" + key + "'");
        }
    }

    Song Parse(const std::string& text) {
        Song song;
        std::map<std::string, Pattern> patterns;
        std::vector<std::pair<std::string, int>> order;
        Pattern* current = nullptr;
        std::istringstream in(text);
        int lineNo = 0;
        for (std::string raw; std::getline(in, raw);) {
            ++lineNo;
            std::string line = raw.substr(0, raw.find('#'));
            std::vector<std::string> words = Words(line);
            if (words.empty()) continue;
            const std::string& head = words[0];
            if (head == "title") {
                size_t from = line.find_first_not_of(" \t", line.find("title") + 5);
                size_t to = line.find_last_not_of(" \t\r");
                song.title = from == std::string::npos ? "" : line.substr(from, to + 1 - from);
            } else if (head == "tempo" && words.size() == 2) {
                song.tempo = Number(words[1], lineNo, "tempo");
                if (song.tempo < 20 || song.tempo > 300) Fail(lineNo, "tempo out of 20..300");
            } else if (head == "meter" && words.size() == 2) {
                song.meter = static_cast<int>(Number(words[1], lineNo, "meter"));
                if (song.meter < 1 || song.meter > 16) Fail(lineNo, "meter out of 1..16");
            } else if (head == "instrument" && words.size() >= 2) {
                Instrument instrument;
                instrument.name = words[1];
                for (size_t i = 2; i < words.size(); ++i) {
                    size_t eq = words[i].find('=');
                    if (eq == std::string::npos) Fail(lineNo, "expected key=value, got '" + words[i] + "'");
                    SetParameter(instrument, words[i].substr(0, eq), words[i].substr(eq + 1), lineNo);
                }
                if (FindInstrument(song, instrument.name) >= 0)
                    Fail(lineNo, "instrument '" + instrument.name + "' defined twice");
                song.instruments.push_back(instrument);
            } else if (head == "pattern" && words.size() == 2) {
                if (patterns.count(words[1])) Fail(lineNo, "pattern '" + words[1] + "' defined twice");
                current = &patterns[words[1]];
            } else if (head == "order") {
                for (size_t i = 1; i < words.size(); ++i) order.emplace_back(words[i], lineNo);
            } else if (line.find('|') != std::string::npos) {
                if (!current) Fail(lineNo, "track line outside a pattern");
                TrackLine track = ReadTrack(line, lineNo);
                if (track.track.empty()) {
                    // A line with no name carries on the track above it.
                    if (current->tracks.empty()) Fail(lineNo, "a continued track line needs a track above it");
                    auto& bars = current->tracks.back().bars;
                    bars.insert(bars.end(), track.bars.begin(), track.bars.end());
                } else {
                    current->tracks.push_back(track);
                }
            } else {
                Fail(lineNo, "cannot read '" + head + "' here");
            }
        }
        if (order.empty()) Fail(lineNo, "the song has no order line");

        const double barSeconds = song.meter * 60.0 / song.tempo;
        double barStart = 0;
        for (const auto& [name, line] : order) {
            auto p = patterns.find(name);
            if (p == patterns.end()) Fail(line, "no pattern named '" + name + "'");
            CheckBars(p->second);
            for (const TrackLine& track : p->second.tracks) AddTrack(song, track, barStart, barSeconds);
            barStart += p->second.bars * barSeconds;
        }
        if (barStart <= 0) Fail(lineNo, "the order plays no bars");
        if (barStart > kLongestSong) Fail(lineNo, "the song lasts longer than " + Format(kLongestSong) + " seconds");
        song.loopSeconds = barStart;
        return song;
    }

private:
    static int FindInstrument(const Song& song, const std::string& name) {
        for (size_t i = 0; i < song.instruments.size(); ++i)
            if (song.instruments[i].name == name) return static_cast<int>(i);
        return -1;
    }

    // Every track of a pattern spans the same number of bars.
    void CheckBars(Pattern& pattern) const {
        pattern.bars = 0;
        for (const TrackLine& track : pattern.tracks) {
            int bars = static_cast<int>(track.bars.size());
            if (pattern.bars != 0 && bars != pattern.bars)
                Fail(track.line, "this track has " + std::to_string(bars) + " bars, the one above it " +
                                     std::to_string(pattern.bars));
            pattern.bars = bars;
        }
    }

    TrackLine ReadTrack(const std::string& line, int lineNo) const {
        TrackLine track;
        track.line = lineNo;
        size_t bar = line.find('|');
        std::vector<std::string> head = Words(line.substr(0, bar));
        if (head.size() > 1) Fail(lineNo, "a track line starts with one instrument name");
        if (!head.empty()) track.track = head[0];
        std::string rest = line.substr(bar + 1);
        size_t start = 0;
        for (size_t end; (end = rest.find('|', start)) != std::string::npos; start = end + 1) {
            std::vector<std::string> tokens = Words(rest.substr(start, end - start));
            if (tokens.empty()) Fail(lineNo, "empty bar");
            track.bars.push_back(tokens);
        }
        if (!Words(rest.substr(start)).empty()) Fail(lineNo, "the last bar is not closed with '|'");
        return track;
    }

    double Pitch(int note, const Instrument& in, int line) const {
        int pitch = note + in.transpose;
        if (pitch < kLowestNote || pitch > kHighestNote) Fail(line, "a note lies outside the playable range");
        return pitch;
    }

    // Velocity marks: accent and soft.
    static double TakeVelocity(std::string& token) {
        if (!token.empty() && token.back() == '!') {
            token.pop_back();
            return 1.0;
        }
        if (!token.empty() && token.back() == '?') {
            token.pop_back();
            return 0.5;
        }
        return 0.8;
    }

    void AddTrack(Song& song, const TrackLine& track, double patternStart, double barSeconds) const {
        const bool drums = track.track == "drums";
        int instrument = drums ? -1 : FindInstrument(song, track.track);
        if (!drums && instrument < 0) Fail(track.line, "no instrument named '" + track.track + "'");
        // Notes of the latest token, waiting for the step that ends them.
        std::vector<NoteEvent> sounding;
        // An arpeggio walks its notes until the step that ends the chord.
        std::vector<int> arpNotes;
        double arpStart = 0, arpVelocity = 0;
        auto finish = [&](double end) {
            for (NoteEvent& e : sounding) {
                e.length = end - e.start;
                song.events.push_back(e);
            }
            sounding.clear();
            if (arpNotes.empty()) return;
            const Instrument& in = song.instruments[instrument];
            const double step = 60.0 / song.tempo / in.arpRate;
            // Up through two octaves and back down, without repeating the turns.
            std::vector<int> walk;
            for (int octave = 0; octave < 2; ++octave)
                for (int n : arpNotes) walk.push_back(n + 12 * octave);
            for (size_t i = walk.size() - 1; i-- > 1;) walk.push_back(walk[i]);
            size_t k = 0;
            for (double at = arpStart; at < end - 1e-9; at += step, ++k)
                song.events.push_back({instrument, at, step * in.gate, Pitch(walk[k % walk.size()], in, track.line),
                                       arpVelocity * (k % 2 == 0 ? 1.0 : 0.8)});
            arpNotes.clear();
        };

        for (size_t b = 0; b < track.bars.size(); ++b) {
            const auto& tokens = track.bars[b];
            const double step = barSeconds / tokens.size();
            for (size_t t = 0; t < tokens.size(); ++t) {
                const double at = patternStart + b * barSeconds + t * step;
                std::string token = tokens[t];
                if (token == "-") continue;
                finish(at);
                if (token == ".") continue;
                double velocity = TakeVelocity(token);
                if (drums) {
                    for (char letter : token) {
                        int found = -1;
                        for (size_t i = 0; i < song.instruments.size(); ++i)
                            if (song.instruments[i].IsDrum() && song.instruments[i].key == letter)
                                found = static_cast<int>(i);
                        if (found < 0) Fail(track.line, std::string("no drum with key '") + letter + "'");
                        sounding.push_back({found, at, 0, 60, velocity});
                    }
                    continue;
                }
                const Instrument& in = song.instruments[instrument];
                if (in.IsDrum()) {
                    sounding.push_back({instrument, at, 0, 60, velocity});
                } else if (in.chords != Instrument::Chords::None) {
                    int bass = 0;
                    std::vector<int> pcs = Chord(token, track.line, bass);
                    if (in.chords == Instrument::Chords::Root) pcs = {bass};
                    if (in.chords == Instrument::Chords::Arp) {
                        for (int pc : pcs) arpNotes.push_back(in.chordLow + ((pc - in.chordLow) % 12 + 12) % 12);
                        std::sort(arpNotes.begin(), arpNotes.end());
                        arpStart = at;
                        arpVelocity = velocity;
                        continue;
                    }
                    double offset = 0;
                    for (int pc : pcs) {
                        int note = in.chordLow + ((pc - in.chordLow) % 12 + 12) % 12;
                        sounding.push_back({instrument, at + offset, 0, Pitch(note, in, track.line), velocity});
                        offset += in.strum;
                    }
                } else {
                    size_t from = 0;
                    for (size_t plus; from <= token.size(); from = plus + 1) {
                        plus = token.find('+', from);
                        if (plus == std::string::npos) plus = token.size();
                        int note = NoteNumber(token.substr(from, plus - from), track.line);
                        sounding.push_back({instrument, at, 0, Pitch(note, in, track.line), velocity});
                    }
                }
            }
        }
        finish(patternStart + track.bars.size() * barSeconds);
    }

    std::string source_;
};

}  // namespace

Song ParseSong(const std::string& text, const std::string& source) { return Reader(source).Parse(text); }

}  // namespace datagen::audio
