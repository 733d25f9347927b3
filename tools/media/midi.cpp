#include "media/midi.h"

#include <algorithm>
#include <stdexcept>

#include "media/bytes.h"

namespace velmor::media {

namespace {

uint8_t Data7(int value, const char* what) {
  if (value < 0 || value > 127) throw std::invalid_argument(std::string("MIDI ") + what + " out of 0..127");
  return static_cast<uint8_t>(value);
}

// Bytes that follow a channel status.
int DataBytes(uint8_t status) { return (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2; }

}  // namespace

void AppendVarLen(std::vector<uint8_t>& out, uint32_t value) {
  if (value > 0x0FFFFFFF) throw std::invalid_argument("MIDI variable-length value above 0x0FFFFFFF");
  uint8_t groups[4];
  int n = 0;
  do {
    groups[n++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (n > 1) out.push_back(static_cast<uint8_t>(groups[--n] | 0x80));
  out.push_back(groups[0]);
}

bool ReadVarLen(std::span<const uint8_t> bytes, std::size_t* at, uint32_t* value) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    if (*at >= bytes.size()) return false;
    const uint8_t b = bytes[(*at)++];
    v = (v << 7) | (b & 0x7F);
    if (!(b & 0x80)) {
      *value = v;
      return true;
    }
  }
  return false;
}

void MidiTrack::Add(uint32_t tick, std::vector<uint8_t> bytes, bool note_off) {
  events_.push_back({tick, note_off, std::move(bytes)});
  end_ = std::max(end_, tick);
}

void MidiTrack::AddChannel(uint32_t tick, uint8_t kind, int channel, std::initializer_list<int> data) {
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
  detail::PutTag(out, "MTrk");
  detail::PutBe32(out, 0);  // filled in below
  uint32_t now = 0;
  for (const Event* e : order) {
    AppendVarLen(out, e->tick - now);
    now = e->tick;
    out.insert(out.end(), e->bytes.begin(), e->bytes.end());
  }
  AppendVarLen(out, end_ - now);
  out.insert(out.end(), {0xFF, 0x2F, 0x00});
  detail::SetBe32(out, 4, static_cast<uint32_t>(out.size() - 8));
  return out;
}

std::vector<uint8_t> WriteMidi(const MidiFile& file) {
  if (file.format > 1) throw std::invalid_argument("WriteMidi: format 0 or 1 only");
  if (file.tracks.empty()) throw std::invalid_argument("WriteMidi: no tracks");
  if (file.format == 0 && file.tracks.size() != 1)
    throw std::invalid_argument("WriteMidi: a format 0 file has exactly one track");
  if (file.tracks.size() > 0xFFFF) throw std::invalid_argument("WriteMidi: too many tracks");
  std::vector<uint8_t> out;
  detail::PutTag(out, "MThd");
  detail::PutBe32(out, 6);
  detail::PutBe16(out, file.format);
  detail::PutBe16(out, static_cast<uint32_t>(file.tracks.size()));
  detail::PutBe16(out, file.division);
  for (const MidiTrack& track : file.tracks) {
    const std::vector<uint8_t> chunk = track.Encode();
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  return out;
}

std::optional<MidiRecord> ReadMidi(std::span<const uint8_t> b, std::string* error) {
  auto fail = [error](const std::string& why) -> std::optional<MidiRecord> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (b.size() < 14 || !detail::HasTag(b, 0, "MThd") || detail::Be32(&b[4]) != 6)
    return fail("not a MIDI file");
  MidiRecord file;
  file.format = detail::Be16(&b[8]);
  file.track_count = detail::Be16(&b[10]);
  file.division = detail::Be16(&b[12]);
  std::size_t at = 14;
  for (int t = 0; t < file.track_count; ++t) {
    const std::string which = "track " + std::to_string(t) + ": ";
    if (at + 8 > b.size() || !detail::HasTag(b, at, "MTrk")) return fail(which + "no MTrk chunk");
    MidiTrackRecord track;
    track.chunk_length = detail::Be32(&b[at + 4]);
    const std::size_t end = at + 8 + track.chunk_length;
    if (end > b.size()) return fail(which + "chunk runs past the end of the file");
    const std::span<const uint8_t> body = b.first(end);
    std::size_t p = at + 8;
    uint32_t tick = 0;
    uint8_t running = 0;
    bool ended = false;
    while (p < end) {
      if (ended) return fail(which + "events after the end of track");
      uint32_t delta;
      if (!ReadVarLen(body, &p, &delta)) return fail(which + "bad delta time");
      tick += delta;
      if (p >= end) return fail(which + "delta time without an event");
      MidiEventRecord ev;
      ev.tick = tick;
      uint8_t status = body[p];
      if (status < 0x80) {
        if (!running) return fail(which + "running status with no status to run on");
        status = running;
      } else {
        ++p;
      }
      ev.status = status;
      if (status < 0xF0) {
        running = status;
        const int n = DataBytes(status);
        if (p + n > end) return fail(which + "channel event cut short");
        for (int i = 0; i < n; ++i) {
          if (body[p] >= 0x80) return fail(which + "status byte inside a channel event");
          ev.data.push_back(body[p++]);
        }
      } else if (status == 0xFF || status == 0xF0 || status == 0xF7) {
        running = 0;
        if (status == 0xFF) {
          if (p >= end) return fail(which + "meta event cut short");
          ev.meta_type = body[p++];
        }
        uint32_t length;
        if (!ReadVarLen(body, &p, &length) || p + length > end)
          return fail(which + "meta or system exclusive event cut short");
        ev.data.assign(body.begin() + p, body.begin() + p + length);
        p += length;
        if (status == 0xFF && ev.meta_type == 0x2F) {
          if (length != 0) return fail(which + "end of track with data");
          ended = true;
        }
      } else {
        return fail(which + "unexpected status byte");
      }
      track.events.push_back(std::move(ev));
    }
    if (!ended) return fail(which + "no end of track event");
    file.tracks.push_back(std::move(track));
    at = end;
  }
  if (at != b.size()) return fail("bytes after the last track");
  return file;
}

double MidiRecord::Seconds() const {
  uint32_t end = 0;
  std::vector<std::pair<uint32_t, uint32_t>> tempos;  // tick, microseconds a quarter
  for (const MidiTrackRecord& track : tracks) {
    if (!track.events.empty()) end = std::max(end, track.events.back().tick);
    for (const MidiEventRecord& e : track.events)
      if (e.status == 0xFF && e.meta_type == 0x51 && e.data.size() == 3)
        tempos.emplace_back(e.tick, (e.data[0] << 16) | (e.data[1] << 8) | e.data[2]);
  }
  if (division & 0x8000) {  // SMPTE frames and ticks a frame
    const int fps = -static_cast<int8_t>(division >> 8);
    const int per_frame = division & 0xFF;
    return fps > 0 && per_frame > 0 ? static_cast<double>(end) / (fps * per_frame) : 0.0;
  }
  if (division == 0) return 0.0;
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  double seconds = 0;
  uint32_t tick = 0, tempo = 500000;
  for (const auto& [at, next] : tempos) {
    if (at >= end) break;
    seconds += static_cast<double>(at - tick) * tempo / (1e6 * division);
    tick = at;
    tempo = next;
  }
  return seconds + static_cast<double>(end - tick) * tempo / (1e6 * division);
}

}  // namespace velmor::media
