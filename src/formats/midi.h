// Standard MIDI Files (format 0 and 1, ticks per quarter note), also wrapped
// in a RIFF "RMID" file: the one parser, used by the check every file passes
// before the synthesiser sees it (a track whose length points past the end
// of the file makes the synthesiser spin) and by the tools that read back
// what they wrote.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "formats/result.h"

namespace velmor::formats {

// Reads a variable-length quantity of at most four bytes at bytes[*at] and
// moves *at past it. False for one cut short or longer than four bytes.
bool ReadVarLen(std::span<const uint8_t> bytes, std::size_t* at, uint32_t* value);

// One event of a track.
struct MidiEvent {
  uint64_t tick = 0;          // absolute
  uint8_t status = 0;         // 0x80..0xEF (running status resolved), 0xF0, 0xF7 or 0xFF
  uint8_t meta_type = 0;      // for status 0xFF
  std::vector<uint8_t> data;  // channel data bytes, or the meta/sysex body
};

struct MidiTrackEvents {
  uint32_t chunk_size = 0;  // as the chunk header says
  // Bytes of the chunk up to the end of its end-of-track event; anything
  // after it is ignored, as sequencers do.
  std::size_t used = 0;
  std::vector<MidiEvent> events;  // up to and with the end of track
};

// When a piece's ticks sound: 120 beats a minute until the first tempo
// event, tempo events of all tracks applying to the whole piece.
struct MidiTempoMap {
  struct Change {
    uint64_t tick = 0;
    uint32_t us_per_quarter = 0;
  };
  uint16_t division = 0;        // ticks per quarter note
  std::vector<Change> changes;  // in the order of their ticks

  // Microseconds from the start to `tick`.
  long double UsAtTick(uint64_t tick) const;
  // The tick that sounds `ms` milliseconds into the piece (the last tick
  // that starts at or before it).
  uint64_t TickAtMs(uint32_t ms) const;
};

struct MidiSummary {
  uint16_t format = 0;  // 0 or 1
  uint16_t tracks = 0;
  uint16_t division = 0;   // ticks per quarter note
  uint64_t end_tick = 0;   // the last end of track
  uint32_t length_ms = 0;  // playing time by the tempo map, rounded up
  MidiTempoMap tempo_map;
  // The Standard MIDI File as the synthesiser gets it: unwrapped from a RIFF
  // "RMID" file, up to the end of its last track.
  std::vector<uint8_t> clean;
  // Every track's events: ReadMidi only (CheckMidi leaves it empty).
  std::vector<MidiTrackEvents> track_events;
};

// Walks a Standard MIDI File (or one wrapped in a RIFF "RMID" file): the
// header chunk, as many track chunks as it announces, every chunk within the
// file, and every track's events parsed up to an end-of-track event inside
// its chunk (running status only after a channel message; meta events of a
// fixed size with that size; data bytes below 0x80). The fault says why a
// file is refused ("damaged MIDI file: track 1 runs past the end of the
// file").
//
// The playing time runs to the last end of track at 120 beats a minute until
// the first tempo event, tempo events of all tracks applying to the whole
// piece.
FormatResult<MidiSummary> CheckMidi(std::span<const uint8_t> bytes);

// CheckMidi, keeping every track's events.
FormatResult<MidiSummary> ReadMidi(std::span<const uint8_t> bytes);

}  // namespace velmor::formats
