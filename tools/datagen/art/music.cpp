#include "datagen/art/music.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>

#include "datagen/fixtures/synth.h"
#include "formats/midi_writer.h"
#include "formats/wave.h"

namespace velmor::datagen {

namespace {

struct Note {
  double start;   // in beats
  double length;  // in beats
  int key;
  int velocity;
};

struct Part {
  const char* name;
  int channel;
  int program;  // General MIDI, from 0
  int volume;
  int pan;
  std::vector<Note> notes;
};

struct Score {
  double bpm;
  int beats_per_bar;
  int sharps;  // key signature
  bool minor;
  double lead_in;  // beats of silence before the music, for the synth to settle
  double length;   // beats, lead-in included
  std::vector<Part> parts;
};

// A melody written as "A4/3 G4/1 r/2 ..." with lengths in eighth notes.
std::vector<Note> Melody(const std::string& text, double start, int velocity) {
  std::vector<Note> notes;
  std::istringstream in(text);
  std::string token;
  double t = start;
  while (in >> token) {
    const std::size_t slash = token.find('/');
    const double length = std::stoi(token.substr(slash + 1)) / 2.0;
    const std::string pitch = token.substr(0, slash);
    if (pitch != "r") {
      // Bar lines get a little more weight.
      const bool downbeat = std::fmod(t - start, 4.0) < 1e-9;
      notes.push_back({t, length, Key(pitch), std::min(127, velocity + (downbeat ? 8 : 0))});
    }
    t += length;
  }
  return notes;
}

struct Chord {
  int root;   // key in octave 3 (48..59)
  int third;  // 3 or 4 semitones
  bool seventh;
};

// "F", "Dm", "Bb", "A7" ...
Chord ParseChord(const std::string& name) {
  std::size_t i = 1;
  std::string root(1, name[0]);
  if (i < name.size() && (name[i] == 'b' || name[i] == '#')) root += name[i++];
  int key = Key(root + "3");
  if (key < 48) key += 12;
  if (key > 59) key -= 12;
  const std::string rest = name.substr(i);
  return {key, rest.find('m') != std::string::npos ? 3 : 4, rest.find('7') != std::string::npos};
}

std::vector<Chord> Chords(const std::string& text) {
  std::vector<Chord> chords;
  std::istringstream in(text);
  std::string token;
  while (in >> token) chords.push_back(ParseChord(token));
  return chords;
}

// M01: a calm theme in F major, 84 beats a minute, twelve bars.
constexpr const char* kThemeMelody =
    "A4/3 G4/1 F4/2 C5/2  D5/4 C5/2 A4/2  Bb4/3 A4/1 G4/2 F4/2  G4/6 r/2 "
    "A4/3 G4/1 F4/2 C5/2  E5/4 D5/2 C5/2  D5/3 C5/1 Bb4/2 A4/2  G4/6 r/2 "
    "F5/3 E5/1 D5/2 A4/2  D5/3 C5/1 Bb4/2 G4/2  C5/3 Bb4/1 A4/2 G4/2  F4/8";
constexpr const char* kThemeChords = "F Dm Bb C F Am Bb C Dm Bb C F";

Score Theme(SoundSource source, const std::vector<int>& bars, double bpm) {
  const bool sc88 = source == SoundSource::kSc88;
  Score s{bpm, 4, -1, false, 1.0, 0, {}};
  const std::vector<Note> tune = Melody(kThemeMelody, 0, 84);
  const std::vector<Chord> chords = Chords(kThemeChords);
  Part melody{"Melody", 0, sc88 ? 68 : 73, 100, 64, {}};  // oboe / flute
  Part arp{"Arpeggio", 1, sc88 ? 24 : 46, 84, 44, {}};    // nylon guitar / harp
  Part pad{"Pad", 2, sc88 ? 52 : 48, 62, 84, {}};         // choir / strings
  Part bass{"Bass", 3, sc88 ? 35 : 32, 92, 64, {}};       // fretless / acoustic
  for (std::size_t b = 0; b < bars.size(); ++b) {
    const int src = bars[b];
    const double at = s.lead_in + 4.0 * b;
    for (const Note& n : tune)
      if (n.start >= 4.0 * src && n.start < 4.0 * (src + 1))
        melody.notes.push_back({n.start - 4.0 * src + at, n.length, n.key, n.velocity});
    const Chord& c = chords[src];
    const int pattern[] = {0, 7, 12, 12 + c.third, 19, 12 + c.third, 12, 7};
    const bool last = b + 1 == bars.size();
    for (int i = 0; i < (last ? 5 : 8); ++i)
      arp.notes.push_back({at + i * 0.5, last && i == 4 ? 2.0 : 0.5, c.root + pattern[i], i == 0 ? 70 : 56});
    for (int k : {12, 12 + c.third, 19}) pad.notes.push_back({at, 4.0, c.root + k, 46});
    bass.notes.push_back({at, 2.0, c.root - 12, 78});
    bass.notes.push_back({at + 2, 2.0, last ? c.root - 12 : c.root - 5, 66});
  }
  s.parts = {melody, arp, pad, bass};
  s.length = s.lead_in + 4.0 * bars.size() + 1.0;
  return s;
}

// M02: a playful, slightly mysterious waltz in D minor, sixteen bars of 3/4.
constexpr const char* kWaltzMelody =
    "A4/2 D5/2 F5/2  E5/4 C#5/2  D5/2 F5/2 A5/2  G5/3 F5/1 D5/2 "
    "F5/2 E5/2 D5/2  D5/4 F5/2  E5/2 C#5/2 A4/2  C#5/6 "
    "A4/2 D5/2 F5/2  G5/3 F5/1 E5/2  F5/2 A5/2 D6/2  D6/3 Bb5/1 G5/2 "
    "F5/2 D5/2 Bb4/2  C#5/2 E5/2 G5/2  F5/3 E5/1 D5/2  D5/6";
constexpr const char* kWaltzChords = "Dm A7 Dm Gm Dm Bb A A7 Dm A7 Dm Gm Bb A7 Dm Dm";

Score Waltz(SoundSource source) {
  const bool sc88 = source == SoundSource::kSc88;
  Score s{132, 3, -1, true, 1.0, 0, {}};
  Part melody{"Melody", 0, sc88 ? 10 : 11, 100, 70, {}};  // music box / vibraphone
  Part chords{"Chords", 1, sc88 ? 6 : 45, 80, 48, {}};    // harpsichord / pizzicato
  Part bass{"Bass", 2, sc88 ? 43 : 32, 96, 64, {}};       // contrabass / acoustic bass
  // The melody is written in eighths of 3/4 bars; Melody() accents every
  // fourth beat, so re-accent for three.
  for (Note n : Melody(kWaltzMelody, 0, 80)) {
    n.velocity = std::fmod(n.start, 3.0) < 1e-9 ? 92 : 76;
    n.start += s.lead_in;
    melody.notes.push_back(n);
  }
  const std::vector<Chord> harmony = Chords(kWaltzChords);
  for (std::size_t b = 0; b < harmony.size(); ++b) {
    const Chord& c = harmony[b];
    const double at = s.lead_in + 3.0 * b;
    const bool last = b + 1 == harmony.size();
    bass.notes.push_back({at, last ? 3.0 : 0.9, c.root - 12, 84});
    if (last) continue;
    for (int beat = 1; beat <= 2; ++beat) {
      for (int k : {c.seventh ? 10 : 7, 12, 12 + c.third})
        chords.notes.push_back({at + beat, 0.45, c.root + k, beat == 1 ? 64 : 56});
    }
  }
  s.parts = {melody, chords, bass};
  s.length = s.lead_in + 3.0 * harmony.size() + 1.0;
  return s;
}

uint32_t Ticks(double beats) { return static_cast<uint32_t>(std::lround(beats * kDivision)); }

// Resets the sound source before anything else.
std::vector<uint8_t> ResetMessage(SoundSource source) {
  if (source == SoundSource::kSc88) return {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
  return {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};  // General MIDI on
}

void Conductor(formats::MidiTrack& t, const Score& s, SoundSource source, const char* title) {
  t.TrackName(0, title);
  t.SysEx(0, ResetMessage(source));
  t.Tempo(0, static_cast<uint32_t>(std::lround(60e6 / s.bpm)));
  t.TimeSignature(0, s.beats_per_bar, 2);
  t.KeySignature(0, s.sharps, s.minor);
}

// Instrument set-up comes a little after the reset so that no player applies
// it first and then loses it.
void PartSetup(formats::MidiTrack& t, const Part& p) {
  const uint32_t at = kDivision / 4;
  t.ControlChange(at, p.channel, 0, 0);  // bank: the standard sounds
  t.ProgramChange(at, p.channel, p.program);
  t.ControlChange(at, p.channel, 7, p.volume);
  t.ControlChange(at, p.channel, 10, p.pan);
  t.ControlChange(at, p.channel, 91, 48);  // reverb
}

void PartNotes(formats::MidiTrack& t, const Part& p) {
  for (const Note& n : p.notes) t.Note(Ticks(n.start), Ticks(n.length), p.channel, n.key, n.velocity);
}

std::vector<uint8_t> Format1(const Score& s, SoundSource source, const char* title) {
  formats::MidiFile file{1, kDivision, {}};
  formats::MidiTrack conductor;
  Conductor(conductor, s, source, title);
  conductor.EndAt(Ticks(s.length));
  file.tracks.push_back(conductor);
  for (const Part& p : s.parts) {
    formats::MidiTrack t;
    t.TrackName(0, p.name);
    PartSetup(t, p);
    PartNotes(t, p);
    t.EndAt(Ticks(s.length));
    file.tracks.push_back(t);
  }
  return formats::WriteMidi(file);
}

std::vector<uint8_t> Format0(const Score& s, SoundSource source, const char* title) {
  formats::MidiTrack t;
  Conductor(t, s, source, title);
  for (const Part& p : s.parts) PartSetup(t, p);
  for (const Part& p : s.parts) PartNotes(t, p);
  t.EndAt(Ticks(s.length));
  return formats::WriteMidi({0, kDivision, {t}});
}

}  // namespace

std::vector<uint8_t> ThemeWave() {
  // The theme's opening four bars and its last four, a little quicker.
  const Score s = Theme(SoundSource::kGeneralMidi, {0, 1, 2, 3, 8, 9, 10, 11}, 108);
  const double beat = 60.0 / s.bpm;
  std::vector<double> mix(static_cast<std::size_t>((s.length - s.lead_in + 0.6) * beat * kRate), 0.0);
  const Voice voices[] = {
      {{{1, 1.0}, {2, 0.35}, {3, 0.12}, {4, 0.05}}, 0.012, 0.9, 0.08, 0.55, 0},  // melody: soft electric piano
      {{{1, 1.0}, {2, 0.18}, {3, 0.06}}, 0.006, 0.45, 0.10, 0.22, 0},            // arpeggio: plucked
      {{{1, 1.0}, {2, 0.22}}, 0.30, 0, 0.35, 0.07, 0.004},                        // pad: slow, chorused
      {{{1, 1.0}, {2, 0.28}}, 0.010, 1.2, 0.10, 0.42, 0},                         // bass
  };
  for (std::size_t p = 0; p < s.parts.size(); ++p)
    for (const Note& n : s.parts[p].notes)
      Render(mix, voices[p], (n.start - s.lead_in) * beat, n.length * beat * 0.96, n.key, n.velocity);
  // A little room: two soft echoes.
  const std::size_t d1 = static_cast<std::size_t>(0.17 * kRate), d2 = static_cast<std::size_t>(0.29 * kRate);
  for (std::size_t i = mix.size(); i-- > 0;) {
    if (i >= d1) mix[i] += 0.18 * mix[i - d1];
    if (i >= d2) mix[i] += 0.10 * mix[i - d2];
  }
  return formats::WriteWave({kRate, 1, 16}, Finish(mix, 0.6));
}

std::vector<uint8_t> WaltzWave() {
  const Score s = Waltz(SoundSource::kGeneralMidi);
  const double beat = 60.0 / s.bpm;
  std::vector<double> mix(static_cast<std::size_t>((s.length - s.lead_in + 0.6) * beat * kRate), 0.0);
  const Voice voices[] = {
      {{{1, 1.0}, {3, 0.30}, {5.4, 0.10}}, 0.003, 0.35, 0.06, 0.50, 0},  // melody: music box
      {{{1, 1.0}, {2, 0.25}, {3, 0.10}}, 0.002, 0.12, 0.05, 0.20, 0},    // chords: plucked
      {{{1, 1.0}, {2, 0.20}}, 0.008, 0.40, 0.08, 0.45, 0},               // bass
  };
  for (std::size_t p = 0; p < s.parts.size(); ++p)
    for (const Note& n : s.parts[p].notes)
      Render(mix, voices[p], (n.start - s.lead_in) * beat, n.length * beat * 0.96, n.key, n.velocity);
  return formats::WriteWave({kRate, 1, 16}, Finish(mix, 0.55));
}

std::vector<uint8_t> ThemeMidi(SoundSource source) {
  return Format1(Theme(source, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 84), source, "Evening Letter");
}

std::vector<uint8_t> WaltzMidi(SoundSource source) {
  return Format0(Waltz(source), source, "Clockwork Waltz");
}

}  // namespace velmor::datagen
