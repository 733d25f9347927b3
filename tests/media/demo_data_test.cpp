// The generated demo data: every file the generator makes is in the folder
// the build wrote and reads back with the engine's own format readers; the
// hit map has its exact colours, the sounds their lengths. (The frames,
// pointers and click mark are the fixture game's too, where the golden
// frames show them.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "datagen/art/demo_data.h"
#include "datagen/fixtures/demo_layout.h"
#include "formats/bmp.h"
#include "formats/midi.h"
#include "formats/wave.h"

namespace velmor::datagen {
namespace {

using Bytes = std::vector<uint8_t>;

// A file of the folder the build made by running velmor_datagen.
Bytes Read(const std::string& name) {
  std::ifstream in(std::filesystem::path(VELMOR_DEMO_DIR) / name, std::ios::binary);
  EXPECT_TRUE(in) << name << " is missing";
  return Bytes(std::istreambuf_iterator<char>(in), {});
}
Bitmap Picture(const std::string& name) {
  auto img = formats::DecodeBmp(Read(name)).Named(name);
  EXPECT_TRUE(img) << img.fault().Text();
  return img ? *img : Bitmap();
}

// A MIDI file's notes (tick, channel, key) and its programs by channel.
struct Notes {
  std::multiset<std::tuple<uint64_t, int, int>> notes;
  std::map<int, int> programs;
};
Notes NotesOf(const formats::MidiSummary& file) {
  Notes m;
  for (const auto& track : file.track_events)
    for (const auto& e : track.events) {
      if ((e.status & 0xF0) == 0x90 && e.data[1] > 0) m.notes.insert({e.tick, e.status & 0x0F, e.data[0]});
      if ((e.status & 0xF0) == 0xC0) m.programs[e.status & 0x0F] = e.data[0];
    }
  return m;
}

// Each file as the generator makes it again (the build regenerates the data
// when the generator changes; the same output from another run keeps that
// from churning), taken by the engine's reader of its kind: bottom-up
// pictures, PCM WAVE, strictly formed MIDI (each track's end
// closes its chunk, the last track ends the file) whose every sounding
// channel has a program and is not the percussion channel.
TEST(DemoData, EveryFileIsAsGeneratedAndReadsInTheEngine) {
  int pictures = 0, waves = 0, midis = 0;
  for (const DataFile& f : MakeDemoData()) {
    SCOPED_TRACE(f.path);
    const Bytes bytes = Read(f.path);
    EXPECT_TRUE(bytes == f.bytes);
    const std::string ext = std::filesystem::path(f.path).extension().string();
    if (ext == ".BMP") {
      ++pictures;
      const auto info = formats::ReadBmpHeader(bytes);
      ASSERT_TRUE(info) << info.fault().what;
      EXPECT_EQ(info->file_size, bytes.size());
      EXPECT_FALSE(info->top_down);
      EXPECT_TRUE(formats::DecodeBmp(bytes));
    } else if (ext == ".WAV") {
      ++waves;
      const auto wave = formats::CheckWave(bytes);
      ASSERT_TRUE(wave) << wave.fault().what;
      EXPECT_EQ(wave->format_tag, formats::wave_format::kPcm);
      EXPECT_EQ(wave->byte_rate, wave->sample_rate * wave->block_align);
    } else {
      ASSERT_EQ(ext, ".MID");
      ++midis;
      const auto file = formats::ReadMidi(bytes);
      ASSERT_TRUE(file) << file.fault().what;
      EXPECT_EQ(file->clean, bytes);
      for (const auto& track : file->track_events) EXPECT_EQ(track.used, track.chunk_size);
      const Notes m = NotesOf(*file);
      std::set<int> channels;
      for (const auto& [tick, channel, key] : m.notes) channels.insert(channel);
      for (int c : channels) EXPECT_TRUE(m.programs.count(c)) << "channel " << c << " has no program";
      EXPECT_FALSE(channels.count(9)) << "the percussion channel plays notes";
    }
  }
  EXPECT_GT(pictures, 30);
  EXPECT_GE(waves, 3);
  EXPECT_GE(midis, 5);
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(VELMOR_DEMO_DIR) / "SNX"));
}

// The probe chime is short and quiet, the pieces last as long as a scene
// and each sound source's twin plays the same notes on other instruments.
TEST(DemoData, SoundsLastAsLongAsIntended) {
  for (const auto& [name, min_ms, max_ms] : {std::tuple{"SOUND/QV00.WAV", 50, 500}, {"SOUND/M01.WAV", 10000, 30000},
           {"SOUND/M02.WAV", 10000, 30000}, {"SOUND/QV00.MID", 200, 3000}, {"SOUND/M01.MID", 20000, 40000},
           {"SOUND/M02.MID", 10000, 40000}}) {
    const Bytes bytes = Read(name);
    const uint32_t ms = std::string_view(name).ends_with(".WAV") ? formats::CheckWave(bytes)->length_ms
                                                                 : formats::CheckMidi(bytes)->length_ms;
    EXPECT_GE(ms, uint32_t(min_ms)) << name;
    EXPECT_LE(ms, uint32_t(max_ms)) << name;
  }
  const Bytes chime = Read("SOUND/QV00.WAV");
  const auto probe = formats::CheckWave(chime);
  ASSERT_TRUE(probe && probe->bits == 16);
  int peak = 0;  // no sample beyond a quarter of full scale
  for (uint32_t i = 0; i + 1 < probe->data_size; i += 2)
    peak = std::max(peak, std::abs(static_cast<int16_t>(chime[probe->data_at + i] | (chime[probe->data_at + i + 1] << 8))));
  EXPECT_GT(peak, 500);
  EXPECT_LT(peak, 8192);
  for (const char* piece : {"M01.MID", "M02.MID"}) {
    const auto gm = formats::ReadMidi(Read(std::string("SOUND/") + piece));
    const auto sc = formats::ReadMidi(Read(std::string("SOUND/SC88/") + piece));
    ASSERT_TRUE(gm && sc);
    EXPECT_EQ(NotesOf(*gm).notes, NotesOf(*sc).notes) << piece;
    EXPECT_NE(NotesOf(*gm).programs, NotesOf(*sc).programs) << piece;
  }
}

// Each region rectangle in its table colour, everything else region 0; the
// street shows something in each.
TEST(DemoData, HitMapPaintsEachRegionRectangleInItsTableColour) {
  const Bitmap map = Picture("CG/MAP01.BMP");
  const Bitmap street = Picture("CG/BG04.BMP");
  ASSERT_EQ(map.width(), 640);
  EXPECT_EQ(map.palette, std::vector<Color>(kRegionColors.begin(), kRegionColors.end()));
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      int region = 0;
      for (const RegionRect& r : kStreetRegions)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) region = r.region;
      ASSERT_EQ(map.at(x, y), kRegionColors[region]) << x << "," << y;
    }
  }
  for (const RegionRect& r : kStreetRegions) {
    const int y = (r.top + r.bottom) / 2;
    EXPECT_NE(street.at((r.left + r.right) / 2, y), street.at(std::max(r.left - 3, 0), y)) << r.what;
  }
}

}  // namespace
}  // namespace velmor::datagen
