// song.h — the readable song format of assets/sound/*.song and its reader.
//
// A song file is a list of lines; `#` starts a comment.
//
//   title  Hub                      name shown in messages
//   tempo  96                       beats per minute
//   meter  4                        beats per bar
//   instrument NAME key=value ...   a voice of the synthesizer (see Instrument)
//   pattern NAME                    starts a pattern; its track lines follow
//     TRACK | tokens | tokens |     one line per voice; each |...| is one bar
//           | tokens |              a line without a name continues the one above
//   order  NAME NAME ...            the patterns in play order: one loop
//
// A track line starts with an instrument name, or `drums` for a line whose
// letters trigger the drum instruments with that `key`. The tokens of one bar
// split the bar evenly, so 4 tokens are quarter notes, 8 eighths, 12 eighth
// triplets. Tokens:
//   C4 F#3 Bb5    a note (octave 4 holds middle C); C4+E4+G4 plays several
//   Am7 C/E Fmaj9 a chord symbol, on instruments declared with chords=full
//                 (all notes), chords=root (the bass note) or chords=arp
//                 (the notes one after another, up and down, `arp` per beat)
//   k  kh         drum letters on a `drums` line, several at once
//   -             holds the previous note or chord over this step
//   .             a rest: the previous note is released
// A trailing `!` plays a token accented, a trailing `?` softly.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace datagen::audio {

// A format or content fault in a song file, with its line.
class SongError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The drums come last: `IsDrum` counts on it.
enum class Wave { Sine, Triangle, Saw, Square, Fm, Pluck, Kick, Snare, Hat, Shaker, Wood };

// One voice of the synthesizer. Times are in seconds, levels 0..1.
struct Instrument {
    std::string name;
    Wave wave = Wave::Sine;
    double volume = 0.5;
    double pan = 0;       // -1 left … 1 right
    double reverb = 0.2;  // send to the shared room
    double attack = 0.005, decay = 0.3, sustain = 0.7, release = 0.2;
    double detune = 0;      // cents of a second, slightly detuned oscillator
    double cutoff = 20000;  // low-pass cut-off in Hz
    double resonance = 0;
    double envCutoff = 0;  // extra cut-off at the note's start, fading over cutoffDecay
    double cutoffDecay = 0.2;
    double vibrato = 0;  // depth in cents, reached after vibratoDelay
    double vibratoRate = 5, vibratoDelay = 0.25;
    double fmRatio = 1, fmIndex = 0, fmDecay = 0.4, fmSustain = 0.2;
    double brightness = 0.5;  // pluck: how bright the string is struck
    double tune = 0;          // drums: pitch or filter centre in Hz (0 = the kind's default)
    double strum = 0;         // seconds between the notes of a chord
    double humanize = 0;      // seconds of random timing spread
    int transpose = 0;        // semitones added to every note
    enum class Chords { None, Full, Root, Arp } chords = Chords::None;
    int chordLow = 55;   // chord notes are placed at or above this MIDI note
    double arpRate = 2;  // arpeggio notes per beat
    double gate = 0.9;   // arpeggio: part of each step the key is held
    char key = 0;        // drums: the letter on a `drums` line
    bool IsDrum() const { return wave >= Wave::Kick; }
};

// One note to play.
struct NoteEvent {
    int instrument = 0;
    double start = 0;   // seconds from the loop start
    double length = 0;  // seconds the key is held
    double midi = 60;
    double velocity = 0.8;
};

struct Song {
    std::string title;
    double tempo = 100;
    int meter = 4;
    std::vector<Instrument> instruments;
    std::vector<NoteEvent> events;
    double loopSeconds = 0;  // the length of the whole order
};

// Reads a song from text; `source` names it in error messages.
// Throws SongError ("source:line: what is wrong").
Song ParseSong(const std::string& text, const std::string& source);

}  // namespace datagen::audio
