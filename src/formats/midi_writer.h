// Standard MIDI Files: a track builder and writer (formats 0 and 1, ticks per
// quarter note). What it writes is read back by formats/midi.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

namespace velmor::formats {

// Appends `value` as a variable-length quantity: seven bits a byte, most
// significant first, the top bit set on every byte but the last. Values above
// 0x0FFFFFFF throw std::invalid_argument.
void AppendVarLen(std::vector<uint8_t>& out, uint32_t value);

// One track's events, added at absolute times in ticks in any order. Channel
// numbers are 0..15 and data values 0..127; others throw
// std::invalid_argument.
class MidiTrack {
 public:
  void NoteOn(uint32_t tick, int channel, int key, int velocity);
  void NoteOff(uint32_t tick, int channel, int key, int velocity = 64);
  // A note-on at `tick` and its note-off `length` ticks later.
  void Note(uint32_t tick, uint32_t length, int channel, int key, int velocity);
  void ProgramChange(uint32_t tick, int channel, int program);
  void ControlChange(uint32_t tick, int channel, int controller, int value);
  // Meta events.
  void Tempo(uint32_t tick, uint32_t microseconds_per_quarter);
  void TimeSignature(uint32_t tick, int numerator, int denominator_power);
  void KeySignature(uint32_t tick, int sharps, bool minor);
  void TrackName(uint32_t tick, std::string_view name);
  void Meta(uint32_t tick, uint8_t type, std::span<const uint8_t> data);
  // A system exclusive message, given whole from its F0 to its F7.
  void SysEx(uint32_t tick, std::span<const uint8_t> message);
  // Keeps the track going until at least `tick`.
  void EndAt(uint32_t tick);

  // The tick of the end-of-track event: the last event's, or EndAt's if later.
  uint32_t length() const { return end_; }
  std::size_t event_count() const { return events_.size(); }

  // The whole "MTrk" chunk. Events go out in time order; at the same tick,
  // note-offs come before everything else, and otherwise events keep the
  // order they were added in. No running status is used. The end-of-track
  // event closes the chunk.
  std::vector<uint8_t> Encode() const;

 private:
  struct Event {
    uint32_t tick;
    bool note_off;
    std::vector<uint8_t> bytes;  // the event as stored, without its delta time
  };
  void Add(uint32_t tick, std::vector<uint8_t> bytes, bool note_off = false);
  void AddChannel(uint32_t tick, uint8_t kind, int channel, std::initializer_list<int> data);

  std::vector<Event> events_;
  uint32_t end_ = 0;
};

struct MidiFile {
  uint16_t format = 1;      // 0: a single track; 1: tracks played together
  uint16_t division = 480;  // ticks per quarter note
  std::vector<MidiTrack> tracks;
};

// The bytes of the file: an "MThd" chunk and one "MTrk" chunk a track.
// Throws std::invalid_argument for a format other than 0 or 1, no tracks, or
// a format 0 file with more than one track.
std::vector<uint8_t> WriteMidi(const MidiFile& file);

}  // namespace velmor::formats
