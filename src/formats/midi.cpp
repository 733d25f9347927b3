#include "formats/midi.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "core/texts.h"
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
      if (i_ >= t_.size()) return Fail(Says(Tr("track %s has no end-of-track event")));
      const std::size_t event_at = i_;
      uint32_t delta = 0;
      if (!ReadVarLen(t_, &i_, &delta))
        return Fail(Says(Tr("track %s bad delta time at byte %s"), Hex(event_at)));
      tick += delta;
      if (i_ >= t_.size())
        return Fail(Says(Tr("track %s ends inside the event at byte %s"), Hex(event_at)));
      uint8_t status = t_[i_];
      if (status & 0x80) {
        ++i_;
      } else if (running) {
        status = running;
      } else {
        return Fail(Says(Tr("track %s data byte without a status at byte %s"),
                         Hex(static_cast<uint32_t>(i_))));
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
    if (t_.size() - i_ < count)
      return Says(Tr("track %s ends inside the event at byte %s"), Hex(event_at));
    for (std::size_t k = 0; k < count; ++k)
      if (t_[i_ + k] & 0x80)
        return Says(Tr("track %s data byte out of range at byte %s"),
                    Hex(static_cast<uint32_t>(i_ + k)));
    i_ += count;
    return std::nullopt;
  }

  std::optional<std::string> Meta(uint64_t tick, std::size_t event_at,
                                  std::vector<TempoChange>& tempos, bool* ended) {
    if (i_ >= t_.size())
      return Says(Tr("track %s ends inside the event at byte %s"), Hex(event_at));
    const uint8_t type = t_[i_++];
    uint32_t size = 0;
    if (!ReadVarLen(t_, &i_, &size) || size > t_.size() - i_)
      return Says(Tr("track %s meta event at byte %s runs past the end of the track"), Hex(event_at));
    const int fixed = MetaSize(type);
    if (fixed >= 0 && size != static_cast<uint32_t>(fixed))
      return Says(Tr("track %s meta event %s at byte %s has size %s instead of %s"), Hex(type),
                  Hex(event_at), std::to_string(size), std::to_string(fixed));
    if (type == 0x51) {
      const uint32_t us = (uint32_t{t_[i_]} << 16) | (t_[i_ + 1] << 8) | t_[i_ + 2];
      if (us == 0) return Says(Tr("track %s tempo 0 at byte %s"), Hex(event_at));
      tempos.push_back({tick, us});
    }
    i_ += size;
    *ended = type == 0x2F;
    return std::nullopt;
  }

  std::optional<std::string> SysEx(uint8_t status, std::size_t event_at) {
    if (status != 0xF0 && status != 0xF7)
      return Says(Tr("track %s status byte %s at byte %s does not belong in a file"), Hex(status),
                  Hex(event_at));
    uint32_t size = 0;
    if (!ReadVarLen(t_, &i_, &size) || size > t_.size() - i_)
      return Says(Tr("track %s system exclusive event at byte %s runs past the end of the track"),
                  Hex(event_at));
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

  static FormatFault Fail(std::string what) { return Fault(std::move(what)); }

  // `sentence` (in the player's language) with this track's number for its
  // first "%s" and the values for the others.
  std::string Says(const char* sentence, std::string_view a = {}, std::string_view b = {},
                   std::string_view c = {}, std::string_view d = {}) const {
    const std::string track = std::to_string(number_);
    return Fill(sentence, {track, a, b, c, d});
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
  if (!data) return Fault(Fill(Tr("damaged RIFF MIDI file: %s"), {data.fault().what}));
  if (!*data) return Fault(Tr("damaged RIFF MIDI file: no \"data\" chunk"));
  return b.subspan((*data)->at, (*data)->size);
}

// The header chunk: format, track count and division, checked.
FormatResult<MidiSummary> ReadHeader(std::span<const uint8_t> b, std::size_t* tracks_at) {
  if (b.size() < 14 || !HasTag(b, 0, "MThd")) return Fault(Tr("not a MIDI file"));
  ByteReader r(b, 4);
  const uint32_t header_size = r.Be32();
  if (header_size < 6) return Fault(Tr("damaged MIDI file: the header chunk is too short"));
  if (header_size > b.size() - 8)
    return Fault(Tr("damaged MIDI file: the header chunk runs past the end of the file"));
  MidiSummary m;
  m.format = r.Be16();
  m.tracks = r.Be16();
  m.division = r.Be16();
  if (m.format > 1)
    return Fault(Fill(Tr("unsupported MIDI file: format %s"), {std::to_string(m.format)}));
  if (m.tracks == 0) return Fault(Tr("damaged MIDI file: no tracks"));
  if (m.format == 0 && m.tracks != 1)
    return Fault(Fill(Tr("damaged MIDI file: format 0 with %s tracks"), {std::to_string(m.tracks)}));
  if (m.division & 0x8000) return Fault(Tr("unsupported MIDI file: SMPTE time division"));
  if (m.division == 0) return Fault(Tr("damaged MIDI file: time division 0"));
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
      return Fault(Fill(Tr("damaged MIDI file: the header announces %s tracks, the file holds %s"),
                        {std::to_string(m.tracks), std::to_string(found)}));
    const uint32_t size = ByteReader(b, pos + 4).Be32();
    const bool is_track = HasTag(b, pos, "MTrk");
    if (size > b.size() - pos - 8) {
      return Fault(is_track ? Fill(Tr("damaged MIDI file: track %s runs past the end of the file"),
                                   {std::to_string(found + 1)})
                            : Fill(Tr("damaged MIDI file: chunk %s runs past the end of the file"),
                                   {TagText(&b[pos])}));
    }
    if (is_track) {
      MidiTrackEvents track{size, 0, {}};
      auto end =
          TrackScanner(b.subspan(pos + 8, size), found + 1, keep_events ? &track.events : nullptr)
              .Scan(tempos, &track.used);
      if (!end) return Fault(Fill(Tr("damaged MIDI file: %s"), {end.fault().what}));
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
