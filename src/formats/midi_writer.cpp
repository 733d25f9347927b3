#include "formats/midi_writer.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "formats/byte_writer.h"

namespace velmor::formats {

namespace {

uint8_t Data7(int value, const char* what) {
  if (value < 0 || value > 127)
    throw std::invalid_argument(std::string("MIDI ") + what + " out of 0..127");
  return static_cast<uint8_t>(value);
}

}  // namespace

void AppendVarLen(std::vector<uint8_t>& out, uint32_t value) {
  if (value > 0x0FFFFFFF)
    throw std::invalid_argument("MIDI variable-length value above 0x0FFFFFFF");
  uint8_t groups[4];
  int n = 0;
  do {
    groups[n++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (n > 1) out.push_back(static_cast<uint8_t>(groups[--n] | 0x80));
  out.push_back(groups[0]);
}

void MidiTrack::Add(uint32_t tick, std::vector<uint8_t> bytes, bool note_off) {
  events_.push_back({tick, note_off, std::move(bytes)});
  end_ = std::max(end_, tick);
}

void MidiTrack::AddChannel(uint32_t tick, uint8_t kind, int channel,
                           std::initializer_list<int> data) {
  if (channel < 0 || channel > 15) throw std::invalid_argument("MIDI channel out of 0..15");
  std::vector<uint8_t> bytes{static_cast<uint8_t>(kind | channel)};
  for (int d : data) bytes.push_back(Data7(d, "data value"));
  const bool off = kind == 0x80 || (kind == 0x90 && bytes[2] == 0);
  Add(tick, std::move(bytes), off);
}

void MidiTrack::NoteOn(uint32_t tick, int channel, int key, int velocity) {
  AddChannel(tick, 0x90, channel, {key, velocity});
}

void MidiTrack::NoteOff(uint32_t tick, int channel, int key, int velocity) {
  AddChannel(tick, 0x80, channel, {key, velocity});
}

void MidiTrack::Note(uint32_t tick, uint32_t length, int channel, int key, int velocity) {
  NoteOn(tick, channel, key, velocity);
  NoteOff(tick + length, channel, key);
}

void MidiTrack::ProgramChange(uint32_t tick, int channel, int program) {
  AddChannel(tick, 0xC0, channel, {program});
}

void MidiTrack::ControlChange(uint32_t tick, int channel, int controller, int value) {
  AddChannel(tick, 0xB0, channel, {controller, value});
}

void MidiTrack::Meta(uint32_t tick, uint8_t type, std::span<const uint8_t> data) {
  if (type >= 0x80) throw std::invalid_argument("MIDI meta type above 0x7F");
  std::vector<uint8_t> bytes{0xFF, type};
  AppendVarLen(bytes, static_cast<uint32_t>(data.size()));
  bytes.insert(bytes.end(), data.begin(), data.end());
  Add(tick, std::move(bytes));
}

void MidiTrack::Tempo(uint32_t tick, uint32_t microseconds_per_quarter) {
  if (microseconds_per_quarter == 0 || microseconds_per_quarter > 0xFFFFFF)
    throw std::invalid_argument("MIDI tempo out of 1..0xFFFFFF");
  const uint8_t data[3] = {static_cast<uint8_t>(microseconds_per_quarter >> 16),
                           static_cast<uint8_t>(microseconds_per_quarter >> 8),
                           static_cast<uint8_t>(microseconds_per_quarter)};
  Meta(tick, 0x51, data);
}

void MidiTrack::TimeSignature(uint32_t tick, int numerator, int denominator_power) {
  // 24 clocks a metronome click, eight 32nd notes a quarter note.
  const uint8_t data[4] = {Data7(numerator, "time signature"),
                           Data7(denominator_power, "time signature"), 24, 8};
  Meta(tick, 0x58, data);
}

void MidiTrack::KeySignature(uint32_t tick, int sharps, bool minor) {
  if (sharps < -7 || sharps > 7) throw std::invalid_argument("MIDI key signature out of -7..7");
  const uint8_t data[2] = {static_cast<uint8_t>(static_cast<int8_t>(sharps)),
                           static_cast<uint8_t>(minor ? 1 : 0)};
  Meta(tick, 0x59, data);
}

void MidiTrack::TrackName(uint32_t tick, std::string_view name) {
  Meta(tick, 0x03, {reinterpret_cast<const uint8_t*>(name.data()), name.size()});
}

void MidiTrack::SysEx(uint32_t tick, std::span<const uint8_t> message) {
  if (message.size() < 2 || message.front() != 0xF0 || message.back() != 0xF7)
    throw std::invalid_argument("MIDI system exclusive message must run from F0 to F7");
  std::vector<uint8_t> bytes{0xF0};
  AppendVarLen(bytes, static_cast<uint32_t>(message.size() - 1));
  bytes.insert(bytes.end(), message.begin() + 1, message.end());
  Add(tick, std::move(bytes));
}

void MidiTrack::EndAt(uint32_t tick) { end_ = std::max(end_, tick); }

std::vector<uint8_t> MidiTrack::Encode() const {
  std::vector<const Event*> order;
  order.reserve(events_.size());
  for (const Event& e : events_) order.push_back(&e);
  std::stable_sort(order.begin(), order.end(), [](const Event* a, const Event* b) {
    if (a->tick != b->tick) return a->tick < b->tick;
    return a->note_off && !b->note_off;
  });

  std::vector<uint8_t> out;
  PutTag(out, "MTrk");
  PutBe32(out, 0);  // filled in below
  uint32_t now = 0;
  for (const Event* e : order) {
    AppendVarLen(out, e->tick - now);
    now = e->tick;
    out.insert(out.end(), e->bytes.begin(), e->bytes.end());
  }
  AppendVarLen(out, end_ - now);
  out.insert(out.end(), {0xFF, 0x2F, 0x00});
  SetBe32(out, 4, static_cast<uint32_t>(out.size() - 8));
  return out;
}

std::vector<uint8_t> WriteMidi(const MidiFile& file) {
  if (file.format > 1) throw std::invalid_argument("WriteMidi: format 0 or 1 only");
  if (file.tracks.empty()) throw std::invalid_argument("WriteMidi: no tracks");
  if (file.format == 0 && file.tracks.size() != 1)
    throw std::invalid_argument("WriteMidi: a format 0 file has exactly one track");
  if (file.tracks.size() > 0xFFFF) throw std::invalid_argument("WriteMidi: too many tracks");
  std::vector<uint8_t> out;
  PutTag(out, "MThd");
  PutBe32(out, 6);
  PutBe16(out, file.format);
  PutBe16(out, static_cast<uint32_t>(file.tracks.size()));
  PutBe16(out, file.division);
  for (const MidiTrack& track : file.tracks) {
    const std::vector<uint8_t> chunk = track.Encode();
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  return out;
}

}  // namespace velmor::formats
