#include "formats/midi.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "formats/byte_reader.h"
#include "formats/riff.h"

namespace velmor::formats {

bool ReadVarLen(std::span<const uint8_t> t, std::size_t* at, uint32_t* value) {
  uint32_t v = 0;
  for (int n = 0; n < 4; ++n) {
    if (*at >= t.size()) return false;
    uint8_t c = t[(*at)++];
    v = (v << 7) | (c & 0x7F);
    if (!(c & 0x80)) {
      *value = v;
      return true;
    }
  }
  return false;
}

namespace {

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}

using TempoChange = MidiTempoMap::Change;

// The size a meta event of this type must have, or -1 when any size goes.
int MetaSize(uint8_t type) {
  switch (type) {
    case 0x2F:
      return 0;  // end of track
    case 0x51:
      return 3;  // tempo
    case 0x54:
      return 5;  // SMPTE offset
    case 0x58:
      return 4;  // time signature
    case 0x59:
      return 2;  // key signature
    default:
      return -1;
  }
}

// Parses one track's events up to its end-of-track event. Bytes after it
// (within the chunk) are ignored, as sequencers do. The events are kept
// when `events` is given.
class TrackScanner {
 public:
  TrackScanner(std::span<const uint8_t> track, int number, std::vector<MidiEvent>* events)
      : t_(track), number_(number), events_(events) {}

  // The track's end: its tick, and the bytes up to it in *used.
  FormatResult<uint64_t> Scan(std::vector<TempoChange>& tempos, std::size_t* used) {
    uint64_t tick = 0;
    uint8_t running = 0;
    while (true) {
      if (i_ >= t_.size()) return Fail("has no end-of-track event");
      const std::size_t event_at = i_;
      uint32_t delta = 0;
      if (!ReadVarLen(t_, &i_, &delta)) return Fail("bad delta time at byte " + Hex(event_at));
      tick += delta;
      if (i_ >= t_.size()) return Fail("ends inside the event at byte " + Hex(event_at));
      uint8_t status = t_[i_];
      if (status & 0x80) {
        ++i_;
      } else if (running) {
        status = running;
      } else {
        return Fail("data byte without a status at byte " + Hex(static_cast<uint32_t>(i_)));
      }
      const std::size_t body_at = i_;
      std::optional<std::string> fault;
      bool ended = false;
      if (status < 0xF0) {
        running = status;
        fault = ChannelData(status, event_at);
      } else {
        // System exclusive and meta events cancel running status.
        running = 0;
        fault = status == 0xFF ? Meta(tick, event_at, tempos, &ended) : SysEx(status, event_at);
      }
      if (fault) return Fail(*fault);
      Keep(tick, status, body_at);
      if (ended) {
        *used = i_;
        return tick;
      }
    }
  }

 private:
  // The one or two data bytes of a channel message.
  std::optional<std::string> ChannelData(uint8_t status, std::size_t event_at) {
    // Program change and channel pressure take one, the others two.
    const std::size_t count = (status & 0xE0) == 0xC0 ? 1 : 2;
    if (t_.size() - i_ < count) return "ends inside the event at byte " + Hex(event_at);
    for (std::size_t k = 0; k < count; ++k)
      if (t_[i_ + k] & 0x80)
        return "data byte out of range at byte " + Hex(static_cast<uint32_t>(i_ + k));
    i_ += count;
    return std::nullopt;
  }

  std::optional<std::string> Meta(uint64_t tick, std::size_t event_at,
                                  std::vector<TempoChange>& tempos, bool* ended) {
    if (i_ >= t_.size()) return "ends inside the event at byte " + Hex(event_at);
    const uint8_t type = t_[i_++];
    uint32_t size = 0;
    if (!ReadVarLen(t_, &i_, &size) || size > t_.size() - i_)
      return "meta event at byte " + Hex(event_at) + " runs past the end of the track";
    const int fixed = MetaSize(type);
    if (fixed >= 0 && size != static_cast<uint32_t>(fixed))
      return "meta event " + Hex(type) + " at byte " + Hex(event_at) + " has size " +
             std::to_string(size) + " instead of " + std::to_string(fixed);
    if (type == 0x51) {
      const uint32_t us = (uint32_t{t_[i_]} << 16) | (t_[i_ + 1] << 8) | t_[i_ + 2];
      if (us == 0) return "tempo 0 at byte " + Hex(event_at);
      tempos.push_back({tick, us});
    }
    i_ += size;
    *ended = type == 0x2F;
    return std::nullopt;
  }

  std::optional<std::string> SysEx(uint8_t status, std::size_t event_at) {
    if (status != 0xF0 && status != 0xF7)
      return "status byte " + Hex(status) + " at byte " + Hex(event_at) +
             " does not belong in a file";
    uint32_t size = 0;
    if (!ReadVarLen(t_, &i_, &size) || size > t_.size() - i_)
      return "system exclusive event at byte " + Hex(event_at) + " runs past the end of the track";
    i_ += size;
    return std::nullopt;
  }

  // Records the event whose bytes after the status run from `body_at` to
  // where the scan is now.
  void Keep(uint64_t tick, uint8_t status, std::size_t body_at) {
    if (!events_) return;
    MidiEvent e{tick, status, 0, {}};
    std::size_t at = body_at;
    if (status == 0xFF) e.meta_type = t_[at++];
    if (status >= 0xF0) {
      uint32_t size = 0;
      ReadVarLen(t_, &at, &size);
    }
    e.data.assign(t_.begin() + static_cast<std::ptrdiff_t>(at),
                  t_.begin() + static_cast<std::ptrdiff_t>(i_));
    events_->push_back(std::move(e));
  }

  FormatFault Fail(const std::string& what) const {
    return Fault("track " + std::to_string(number_) + " " + what);
  }

  std::span<const uint8_t> t_;
  int number_;
  std::vector<MidiEvent>* events_;
  std::size_t i_ = 0;
};

// Playing time up to the end tick, rounded up to a millisecond.
uint32_t MidiLengthMs(const MidiTempoMap& map, uint64_t end_tick) {
  long double ms = map.UsAtTick(end_tick) / 1000;
  if (ms >= std::numeric_limits<uint32_t>::max()) return std::numeric_limits<uint32_t>::max();
  auto whole = static_cast<uint32_t>(ms);
  return whole + (static_cast<long double>(whole) < ms ? 1 : 0);
}

// The Standard MIDI File inside a RIFF "RMID" file.
FormatResult<std::span<const uint8_t>> UnwrapRmid(std::span<const uint8_t> b) {
  auto data = FindRiffChunk(b, "data");
  if (!data) return Fault("damaged RIFF MIDI file: " + data.fault().what);
  if (!*data) return Fault("damaged RIFF MIDI file: no \"data\" chunk");
  return b.subspan((*data)->at, (*data)->size);
}

// The header chunk: format, track count and division, checked.
FormatResult<MidiSummary> ReadHeader(std::span<const uint8_t> b, std::size_t* tracks_at) {
  if (b.size() < 14 || !HasTag(b, 0, "MThd")) return Fault("not a MIDI file");
  ByteReader r(b, 4);
  const uint32_t header_size = r.Be32();
  if (header_size < 6) return Fault("damaged MIDI file: the header chunk is too short");
  if (header_size > b.size() - 8)
    return Fault("damaged MIDI file: the header chunk runs past the end of the file");
  MidiSummary m;
  m.format = r.Be16();
  m.tracks = r.Be16();
  m.division = r.Be16();
  if (m.format > 1) return Fault("unsupported MIDI file: format " + std::to_string(m.format));
  if (m.tracks == 0) return Fault("damaged MIDI file: no tracks");
  if (m.format == 0 && m.tracks != 1)
    return Fault("damaged MIDI file: format 0 with " + std::to_string(m.tracks) + " tracks");
  if (m.division & 0x8000) return Fault("unsupported MIDI file: SMPTE time division");
  if (m.division == 0) return Fault("damaged MIDI file: time division 0");
  *tracks_at = 8 + std::size_t{header_size};
  return m;
}

// Parses the file; keeps the events when `keep_events`.
FormatResult<MidiSummary> ParseMidi(std::span<const uint8_t> b, bool keep_events) {
  if (IsRiff(b, "RMID")) {
    auto inner = UnwrapRmid(b);
    if (!inner) return inner.fault();
    b = *inner;
  }
  std::size_t pos = 0;
  auto header = ReadHeader(b, &pos);
  if (!header) return header;
  MidiSummary& m = *header;
  std::vector<TempoChange> tempos;
  int found = 0;
  while (found < m.tracks) {
    if (b.size() - pos < 8)
      return Fault("damaged MIDI file: the header announces " + std::to_string(m.tracks) +
                   " tracks, the file holds " + std::to_string(found));
    const uint32_t size = ByteReader(b, pos + 4).Be32();
    const bool is_track = HasTag(b, pos, "MTrk");
    if (size > b.size() - pos - 8) {
      const std::string what =
          is_track ? "track " + std::to_string(found + 1) : "chunk " + TagText(&b[pos]);
      return Fault("damaged MIDI file: " + what + " runs past the end of the file");
    }
    if (is_track) {
      MidiTrackEvents track{size, 0, {}};
      auto end =
          TrackScanner(b.subspan(pos + 8, size), found + 1, keep_events ? &track.events : nullptr)
              .Scan(tempos, &track.used);
      if (!end) return Fault("damaged MIDI file: " + end.fault().what);
      m.end_tick = std::max(m.end_tick, *end);
      if (keep_events) m.track_events.push_back(std::move(track));
      ++found;
    }
    pos += 8 + std::size_t{size};
  }
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  m.tempo_map = MidiTempoMap{m.division, std::move(tempos)};
  m.length_ms = MidiLengthMs(m.tempo_map, m.end_tick);
  m.clean.assign(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(pos));
  return header;
}

}  // namespace

long double MidiTempoMap::UsAtTick(uint64_t tick) const {
  if (division == 0) return 0;
  long double us = 0;
  uint64_t at = 0;
  uint32_t tempo = 500000;
  for (const Change& c : changes) {
    if (c.tick >= tick) break;
    us += static_cast<long double>(c.tick - at) * tempo / division;
    at = c.tick;
    tempo = c.us_per_quarter;
  }
  return us + static_cast<long double>(tick - at) * tempo / division;
}

uint64_t MidiTempoMap::TickAtMs(uint32_t ms) const {
  if (division == 0) return 0;
  const long double want = static_cast<long double>(ms) * 1000;
  long double us = 0;
  uint64_t at = 0;
  uint32_t tempo = 500000;
  for (const Change& c : changes) {
    const long double next = us + static_cast<long double>(c.tick - at) * tempo / division;
    if (next > want) break;
    us = next;
    at = c.tick;
    tempo = c.us_per_quarter;
  }
  return at + static_cast<uint64_t>((want - us) * division / tempo);
}

FormatResult<MidiSummary> CheckMidi(std::span<const uint8_t> bytes) {
  return ParseMidi(bytes, false);
}

FormatResult<MidiSummary> ReadMidi(std::span<const uint8_t> bytes) {
  return ParseMidi(bytes, true);
}

}  // namespace velmor::formats
