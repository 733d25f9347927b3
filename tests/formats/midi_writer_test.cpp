// The MIDI writer: variable-length quantities, exact track bytes and
// lengths, event order and the file header, read back by the one parser.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "formats/midi.h"
#include "formats/midi_writer.h"

namespace velmor::formats {
namespace {

using Bytes = std::vector<uint8_t>;

struct VarLenCase {
  uint32_t value;
  Bytes bytes;
};

TEST(MidiVarLen, EncodesAndDecodesTheBoundaryValuesAndRefusesTheRest) {
  const VarLenCase cases[] = {
      {0x00, {0x00}},
      {0x40, {0x40}},
      {0x7F, {0x7F}},
      {0x80, {0x81, 0x00}},
      {0x2000, {0xC0, 0x00}},
      {0x3FFF, {0xFF, 0x7F}},
      {0x4000, {0x81, 0x80, 0x00}},
      {0x1FFFFF, {0xFF, 0xFF, 0x7F}},
      {0x200000, {0x81, 0x80, 0x80, 0x00}},
      {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
  };
  for (const VarLenCase& c : cases) {
    SCOPED_TRACE(c.value);
    Bytes out;
    AppendVarLen(out, c.value);
    EXPECT_EQ(out, c.bytes);
    std::size_t at = 0;
    uint32_t back = 0;
    ASSERT_TRUE(ReadVarLen(out, &at, &back));
    EXPECT_EQ(back, c.value);
    EXPECT_EQ(at, out.size());
  }
  Bytes out;
  EXPECT_THROW(AppendVarLen(out, 0x10000000), std::invalid_argument);
  // The reader refuses values of five bytes and values cut short.
  for (const Bytes& bad : {Bytes{0x81, 0x80, 0x80, 0x80, 0x00}, Bytes{0x81, 0x80}}) {
    std::size_t at = 0;
    uint32_t v;
    EXPECT_FALSE(ReadVarLen(bad, &at, &v)) << bad.size() << " bytes";
  }
}

TEST(MidiTrack, SmallTrackHasExactBytesAndLength) {
  MidiTrack t;
  t.Tempo(0, 500000);
  t.Note(0, 96, 0, 60, 100);
  t.EndAt(200);
  const Bytes expected = {'M', 'T', 'r', 'k', 0, 0, 0, 19,
                          0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // tempo
                          0x00, 0x90, 0x3C, 0x64,                    // note on
                          0x60, 0x80, 0x3C, 0x40,                    // note off 96 ticks later
                          0x68, 0xFF, 0x2F, 0x00};                   // end of track at 200
  EXPECT_EQ(t.Encode(), expected);
  EXPECT_EQ(t.length(), 200u);
}

TEST(MidiTrack, EventsAreSortedAndNoteOffsComeFirstAtTheSameTick) {
  MidiTrack t;
  t.NoteOn(100, 1, 62, 90);       // added first, but at the tick where 60 ends
  t.Note(0, 100, 1, 60, 90);
  t.ProgramChange(0, 1, 40);      // added after the note at tick 0: stays after it
  t.Note(0x4000, 10, 1, 64, 90);  // a three-byte delta
  const auto file = ReadMidi(WriteMidi({0, 96, {t}}));
  ASSERT_TRUE(file) << file.fault().what;
  const auto& ev = file->track_events.at(0).events;
  ASSERT_EQ(ev.size(), 7u);
  EXPECT_EQ(ev[0].status, 0x91);
  EXPECT_EQ(ev[1].status, 0xC1);
  EXPECT_EQ(ev[2].tick, 100u);
  EXPECT_EQ(ev[2].status, 0x81);  // 60 off ...
  EXPECT_EQ(ev[3].status, 0x91);  // ... before 62 on
  EXPECT_EQ(ev[3].data[0], 62);
  EXPECT_EQ(ev[4].tick, 0x4000u);
  EXPECT_EQ(ev[5].tick, 0x4000u + 10);
  EXPECT_EQ(ev[6].meta_type, 0x2F);
  EXPECT_EQ(ev[6].tick, 0x4000u + 10);
}

TEST(MidiTrack, SystemExclusiveIsStoredWithItsLength) {
  MidiTrack t;
  t.SysEx(0, Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  const Bytes chunk = t.Encode();
  EXPECT_EQ(Bytes(chunk.begin() + 8, chunk.begin() + 16), (Bytes{0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
  EXPECT_THROW(t.SysEx(0, Bytes{0x7E, 0x01}), std::invalid_argument);
}

TEST(MidiTrack, RefusesOutOfRangeValues) {
  MidiTrack t;
  EXPECT_THROW(t.NoteOn(0, 16, 60, 100), std::invalid_argument);
  EXPECT_THROW(t.NoteOn(0, 0, 128, 100), std::invalid_argument);
  EXPECT_THROW(t.ProgramChange(0, 0, -1), std::invalid_argument);
  EXPECT_THROW(t.Tempo(0, 0), std::invalid_argument);
  EXPECT_THROW(t.KeySignature(0, 8, false), std::invalid_argument);
}

TEST(MidiFile, HeaderAndTrackChunks) {
  MidiTrack a, b;
  a.Tempo(0, 600000);
  b.Note(0, 480, 2, 48, 80);
  const Bytes bytes = WriteMidi({1, 480, {a, b}});
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 14),
            (Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0}));
  const auto file = ReadMidi(bytes);
  ASSERT_TRUE(file) << file.fault().what;
  EXPECT_EQ(file->format, 1);
  EXPECT_EQ(file->division, 480);
  ASSERT_EQ(file->track_events.size(), 2u);
  // Every track's end-of-track event closes its chunk, and the last track
  // ends the file.
  for (const MidiTrackEvents& track : file->track_events) EXPECT_EQ(track.used, track.chunk_size);
  EXPECT_EQ(file->track_events[0].chunk_size, a.Encode().size() - 8);
  EXPECT_EQ(file->track_events[1].chunk_size, b.Encode().size() - 8);
  EXPECT_EQ(file->clean, bytes);

  EXPECT_THROW(WriteMidi({0, 480, {a, b}}), std::invalid_argument);
  EXPECT_THROW(WriteMidi({2, 480, {a}}), std::invalid_argument);
  EXPECT_THROW(WriteMidi({1, 480, {}}), std::invalid_argument);
}

Bytes OneTrackFile(const Bytes& track_body) {
  Bytes b = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0,
             static_cast<uint8_t>(track_body.size())};
  for (uint8_t x : track_body) b.push_back(x);
  return b;
}

TEST(MidiReader, ListsEventsWithRunningStatusResolved) {
  const auto file = ReadMidi(OneTrackFile({0x00, 0x90, 0x3C, 0x64, 0x10, 0x3C, 0x00, 0x00, 0xFF, 0x01,
                                           0x02, 'h', 'i', 0x00, 0xF0, 0x02, 0x7E, 0xF7, 0x00,
                                           0xFF, 0x2F, 0x00}));
  ASSERT_TRUE(file) << file.fault().what;
  const auto& ev = file->track_events.at(0).events;
  ASSERT_EQ(ev.size(), 5u);
  EXPECT_EQ(ev[1].status, 0x90);
  EXPECT_EQ(ev[1].tick, 0x10u);
  EXPECT_EQ(ev[1].data, (Bytes{0x3C, 0x00}));
  EXPECT_EQ(ev[2].meta_type, 0x01);
  EXPECT_EQ(ev[2].data, (Bytes{'h', 'i'}));
  EXPECT_EQ(ev[3].status, 0xF0);
  EXPECT_EQ(ev[3].data, (Bytes{0x7E, 0xF7}));
  EXPECT_EQ(ev[4].meta_type, 0x2F);
  EXPECT_TRUE(ev[4].data.empty());
}

}  // namespace
}  // namespace velmor::formats
