// The generated demo data: every file the generator makes is in the folder
// the build wrote and reads back with the engine's own format readers; the
// hit map has its exact colours, the sounds their lengths. The fixture game
// the golden frames are taken on (which shows the demo's frames, pointers
// and click mark): the demo's scenarios and every file the demo has, the
// fixture files byte for byte, and for each picture of the demo's art a
// stand-in of the same size, depth and colour table.
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
#include "datagen/fixtures/fixture_files.h"
#include "datagen/fixtures/fixture_game.h"
#include "formats/bmp.h"
#include "formats/midi.h"
#include "formats/wave.h"

namespace velmor::datagen {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// The folders the build made by running the generators.
const fs::path kDemo = VELMOR_DEMO_DIR;
const fs::path kFixtureGame = VELMOR_FIXTURE_GAME_DIR;

Bytes Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path << " is missing";
  return Bytes(std::istreambuf_iterator<char>(in), {});
}
Bitmap Picture(const fs::path& path) {
  auto img = formats::DecodeBmp(Read(path)).Named(path.string());
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
  std::map<std::string, int> kinds;
  for (const DataFile& f : MakeDemoData()) {
    SCOPED_TRACE(f.path);
    const Bytes bytes = Read(kDemo / f.path);
    EXPECT_TRUE(bytes == f.bytes);
    const std::string ext = fs::path(f.path).extension().string();
    ++kinds[ext];
    if (ext == ".BMP") {
      const auto info = formats::ReadBmpHeader(bytes);
      ASSERT_TRUE(info) << info.fault().what;
      EXPECT_EQ(std::pair(info->file_size, info->top_down),
                std::pair(uint32_t(bytes.size()), false));
      EXPECT_TRUE(formats::DecodeBmp(bytes));
    } else if (ext == ".WAV") {
      const auto wave = formats::CheckWave(bytes);
      ASSERT_TRUE(wave) << wave.fault().what;
      EXPECT_EQ(std::pair(wave->format_tag, wave->byte_rate),
                std::pair(formats::wave_format::kPcm, wave->sample_rate * wave->block_align));
    } else {
      ASSERT_EQ(ext, ".MID");
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
  EXPECT_TRUE(kinds[".BMP"] > 30 && kinds[".WAV"] >= 3 && kinds[".MID"] >= 5)
      << ::testing::PrintToString(kinds);
  EXPECT_TRUE(fs::is_directory(kDemo / "SNX"));
}

// The probe chime is short and quiet, the pieces last as long as a scene
// and each sound source's twin plays the same notes on other instruments.
TEST(DemoData, SoundsLastAsLongAsIntended) {
  for (const auto& [name, min_ms, max_ms] : {std::tuple{"SOUND/QV00.WAV", 50, 500}, {"SOUND/M01.WAV", 10000, 30000},
           {"SOUND/M02.WAV", 10000, 30000}, {"SOUND/QV00.MID", 200, 3000}, {"SOUND/M01.MID", 20000, 40000},
           {"SOUND/M02.MID", 10000, 40000}}) {
    const Bytes bytes = Read(kDemo / name);
    const uint32_t ms = std::string_view(name).ends_with(".WAV") ? formats::CheckWave(bytes)->length_ms
                                                                 : formats::CheckMidi(bytes)->length_ms;
    EXPECT_TRUE(ms >= uint32_t(min_ms) && ms <= uint32_t(max_ms)) << name << ": " << ms << " ms";
  }
  const Bytes chime = Read(kDemo / "SOUND/QV00.WAV");
  const auto probe = formats::CheckWave(chime);
  ASSERT_TRUE(probe && probe->bits == 16);
  int peak = 0;  // no sample beyond a quarter of full scale
  for (uint32_t i = 0; i + 1 < probe->data_size; i += 2)
    peak = std::max(peak, std::abs(static_cast<int16_t>(chime[probe->data_at + i] | (chime[probe->data_at + i + 1] << 8))));
  EXPECT_TRUE(peak > 500 && peak < 8192) << peak;
  for (const char* piece : {"M01.MID", "M02.MID"}) {
    const auto gm = formats::ReadMidi(Read(kDemo / "SOUND" / piece));
    const auto sc = formats::ReadMidi(Read(kDemo / "SOUND/SC88" / piece));
    ASSERT_TRUE(gm && sc);
    EXPECT_EQ(NotesOf(*gm).notes, NotesOf(*sc).notes) << piece;
    EXPECT_NE(NotesOf(*gm).programs, NotesOf(*sc).programs) << piece;
  }
}

// Each region rectangle in its table colour, everything else region 0; the
// street shows something in each.
TEST(DemoData, HitMapPaintsEachRegionRectangleInItsTableColour) {
  const Bitmap map = Picture(kDemo / "CG/MAP01.BMP"), street = Picture(kDemo / "CG/BG04.BMP");
  ASSERT_EQ(map.width(), 640);
  EXPECT_EQ(map.palette, std::vector<Color>(kRegionColors.begin(), kRegionColors.end()));
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      int region = 0;
      for (const RegionRect& r : kStreetRegions)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) region = r.region;
      ASSERT_EQ(map.at(x, y), kRegionColors[region]) << x << "," << y;
    }
  for (const RegionRect& r : kStreetRegions) {
    const int y = (r.top + r.bottom) / 2;
    EXPECT_NE(street.at((r.left + r.right) / 2, y), street.at(std::max(r.left - 3, 0), y)) << r.what;
  }
}

// The demo's generated files and assembled scenarios, relative to its folder
// (the scenario sources copied beside them and the build's stamp left out).
std::vector<fs::path> DemoGameFiles() {
  std::vector<fs::path> files;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(kDemo)) {
    if (!e.is_regular_file()) continue;
    const fs::path relative = fs::relative(e.path(), kDemo);
    const std::string top = relative.begin()->string();
    if (top == "CG" || top == "CURSOR" || top == "SOUND" || relative.extension() == ".SNX")
      files.push_back(relative);
  }
  return files;
}

// The fixture game is as the generator makes it again.
TEST(FixtureGame, HasEveryFileOfTheDemoAndAStandInForEachPieceOfArt) {
  const std::vector<fs::path> files = DemoGameFiles();
  ASSERT_GT(files.size(), 50u);
  int stand_ins = 0;
  for (const fs::path& f : files) {
    SCOPED_TRACE(f.string());
    ASSERT_TRUE(fs::is_regular_file(kFixtureGame / f));
    const Bytes demo = Read(kDemo / f), fixture = Read(kFixtureGame / f);
    EXPECT_TRUE(f.extension() != ".SNX" || fixture == demo);
    if (f.extension() != ".BMP") continue;
    const auto a = formats::ReadBmpHeader(demo), s = formats::ReadBmpHeader(fixture);
    ASSERT_TRUE(a && s);
    const auto shape = [](const auto& h) {
      return std::tuple(h->width, h->height, h->bits, h->PaletteEntries(), h->colours,
                        h->file_size);
    };
    EXPECT_EQ(shape(s), shape(a));
    if (demo != fixture) ++stand_ins;
  }
  EXPECT_EQ(stand_ins, 8) << "BG01-04, _CG01-03 and BA01 are stand-ins";
  for (const DataFile& f : FixtureFiles()) EXPECT_EQ(Read(kDemo / f.path), f.bytes) << f.path;
  for (const DataFile& f : MakeFixtureGame()) EXPECT_EQ(Read(kFixtureGame / f.path), f.bytes) << f.path;
}

TEST(FixtureGame, TheStandInStreetShowsEachRegionInItsHitMapColour) {
  const Bitmap street = Picture(kFixtureGame / "CG/BG04.BMP");
  const Bitmap map = Picture(kFixtureGame / "CG/MAP01.BMP");
  for (const RegionRect& r : kStreetRegions)
    for (const auto& [x, y] : {std::pair{r.left, r.top}, std::pair{r.right - 1, r.bottom - 1}}) {
      EXPECT_EQ(street.at(x, y), kRegionColors[static_cast<std::size_t>(r.region)]) << r.what;
      EXPECT_EQ(map.at(x, y), street.at(x, y)) << r.what;
    }
}

}  // namespace
}  // namespace velmor::datagen
