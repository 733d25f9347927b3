// The generated demo data: every file the engine asks for exists, in the
// size and format it expects, with the properties the engine relies on
// (white where text is drawn, black openings, exact hit-map colours, pointer
// hot spots, sound lengths), and reads back with the engine's own format
// readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "datagen/art/demo_data.h"
#include "datagen/fixtures/canvas.h"
#include "datagen/fixtures/demo_layout.h"
#include "formats/bmp.h"
#include "formats/midi.h"
#include "formats/wave.h"

namespace velmor::datagen {
namespace {

using Bytes = std::vector<uint8_t>;

// The folder the build made by running velmor_datagen (the demo_data
// target).
class DemoData : public ::testing::Test {
 protected:
  static Bytes Read(const std::string& name) {
    std::ifstream in(std::filesystem::path(VELMOR_DEMO_DIR) / name, std::ios::binary);
    EXPECT_TRUE(in) << name << " is missing";
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static Bitmap Picture(const std::string& name) {
    auto img = formats::DecodeBmp(Read(name)).Named(name);
    EXPECT_TRUE(img) << img.fault().Text();
    return img ? *img : Bitmap();
  }
  // True when every pixel of the rectangle has colour c.
  static bool All(const Bitmap& img, int x0, int y0, int x1, int y1, Color c) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (img.at(x, y) != c) return false;
    return true;
  }
};

struct PictureFacts {
  const char* name;
  int width, height;
  int bits;  // 8 or 24
};

const PictureFacts kPictures[] = {
    {"CG/KURO.BMP", 640, 480, 8},    {"CG/MESH.BMP", 648, 488, 8},   {"CG/_CGBK.BMP", 16, 16, 8},
    {"CG/CHU.BMP", 24, 48, 24},      {"CG/WK00.BMP", 628, 100, 24},  {"CG/WK01.BMP", 640, 480, 24},
    {"CG/WK02.BMP", 640, 480, 24},   {"CG/WALL00.BMP", 64, 64, 8},   {"CG/BG01.BMP", 640, 480, 24},
    {"CG/BG02.BMP", 640, 480, 8},    {"CG/BG03.BMP", 640, 480, 8},   {"CG/BG04.BMP", 640, 480, 24},
    {"CG/MAP01.BMP", 640, 480, 8},   {"CG/_CG01.BMP", 496, 464, 24}, {"CG/_CG02.BMP", 496, 464, 8},
    {"CG/_CG03.BMP", 496, 464, 8},   {"CG/BA01.BMP", 256, 1152, 8},
};

std::string CursorName(int n, bool mask) {
  char name[32];
  std::snprintf(name, sizeof name, "CURSOR/CSR%02d%s.BMP", n, mask ? "M" : "");
  return name;
}

TEST_F(DemoData, EveryPictureHasItsSizeAndDepthAndDecodesInTheEngine) {
  std::vector<std::string> names;
  for (const PictureFacts& p : kPictures) names.push_back(p.name);
  for (int n = 0; n <= 10; ++n) {
    names.push_back(CursorName(n, false));
    names.push_back(CursorName(n, true));
  }
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const Bytes b = Read(name);
    const auto info = formats::ReadBmpHeader(b);
    ASSERT_TRUE(info) << info.fault().what;
    EXPECT_EQ(info->file_size, b.size());
    EXPECT_FALSE(info->top_down);
    for (const PictureFacts& p : kPictures) {
      if (name != p.name) continue;
      EXPECT_EQ(info->width, p.width);
      EXPECT_EQ(info->height, p.height);
      EXPECT_EQ(info->bits, p.bits);
    }
    const auto engine = formats::DecodeBmp(b);
    ASSERT_TRUE(engine) << engine.fault().what;
  }
}

TEST_F(DemoData, BlackScreenMeshBackdropWallpaperAndAnimationStrip) {
  EXPECT_TRUE(All(Picture("CG/KURO.BMP"), 0, 0, 640, 480, 0));
  const Bitmap mesh = Picture("CG/MESH.BMP");
  for (int y = 0; y < mesh.height(); ++y)
    for (int x = 0; x < mesh.width(); ++x)
      ASSERT_EQ(mesh.at(x, y), x % 4 == 0 && y % 4 == 0 ? 0u : 0xFFFFFFu) << x << "," << y;
  // The pointer's backdrop: dark inside a light outline.
  const Bitmap bk = Picture("CG/_CGBK.BMP");
  auto luma = [](Color c) { return RedOf(c) + GreenOf(c) + BlueOf(c); };
  EXPECT_GT(luma(bk.at(0, 0)), 3u * 160);
  EXPECT_GT(luma(bk.at(15, 15)), 3u * 160);
  EXPECT_LT(luma(bk.at(8, 8)), 3u * 60);
  const Bitmap wall = Picture("CG/WALL00.BMP");
  EXPECT_FALSE(All(wall, 0, 0, 64, 64, wall.at(0, 0))) << "the wallpaper tile is flat";
  const Bitmap strip = Picture("CG/BA01.BMP");
  std::set<std::vector<Color>> frames;
  for (int f = 0; f < 6; ++f)
    frames.insert(std::vector<Color>(strip.pixels().begin() + 256 * 192 * f,
                                     strip.pixels().begin() + 256 * 192 * (f + 1)));
  EXPECT_EQ(frames.size(), 6u) << "the animation strip's frames are not all different";
}

TEST_F(DemoData, TheClickMarkAndTheMessageWindowAreWhiteWhereTheEngineDraws) {
  // The click mark: two different frames, each on white with something in
  // its middle.
  const Bitmap chu = Picture("CG/CHU.BMP");
  for (int f = 0; f < 2; ++f) {
    EXPECT_EQ(chu.at(0, 24 * f), 0xFFFFFFu);
    EXPECT_EQ(chu.at(23, 24 * f + 23), 0xFFFFFFu);
    EXPECT_NE(chu.at(12, 24 * f + 12), 0xFFFFFFu) << "frame " << f << " has nothing in its middle";
  }
  EXPECT_FALSE(std::equal(chu.pixels().begin(), chu.pixels().begin() + 24 * 24,
                          chu.pixels().begin() + 24 * 24));
  // The window sits at (6, 374); text rows start at (40, 380); the click mark
  // fills (584, 446)-(608, 470).
  const Bitmap wk = Picture("CG/WK00.BMP");
  EXPECT_TRUE(All(wk, 40 - 6, 380 - 374, 620, 96, 0xFFFFFF));
  EXPECT_TRUE(All(wk, 584 - 6, 446 - 374, 608 - 6, 470 - 374, 0xFFFFFF));
  EXPECT_NE(wk.at(2, 50), 0xFFFFFFu) << "no border on the left";
  EXPECT_NE(wk.at(314, 1), 0xFFFFFFu) << "no border at the top";
}

TEST_F(DemoData, StatusFramesHaveABlackOpeningAndWhiteTextCells) {
  struct Layout {
    const char* file;
    std::vector<int> names, gauges;
  };
  const Layout layouts[] = {{"CG/WK01.BMP", {26, 162}, {76, 111, 213, 248}},
                            {"CG/WK02.BMP", {26, 224}, {76, 111, 147, 183, 270}}};
  for (const Layout& l : layouts) {
    SCOPED_TRACE(l.file);
    const Bitmap wk = Picture(l.file);
    EXPECT_TRUE(All(wk, 8, 8, 504, 472, 0));
    EXPECT_NE(wk.at(7, 100), 0u);
    EXPECT_NE(wk.at(300, 472), 0u);
    for (int y : l.names) EXPECT_TRUE(All(wk, 512, y, 632, y + 24, 0xFFFFFF)) << "name row at " << y;
    for (int y : l.gauges) EXPECT_TRUE(All(wk, 514, y, 614, y + 16, 0xFFFFFF)) << "gauge at " << y;
    EXPECT_TRUE(All(wk, 516, 300, 616, 320, 0xFFFFFF)) << "date";
    EXPECT_TRUE(All(wk, 516, 336, 616, 356, 0xFFFFFF)) << "money";
  }
}

TEST_F(DemoData, HitMapPaintsEachRegionRectangleInItsTableColour) {
  const Bitmap map = Picture("CG/MAP01.BMP");
  ASSERT_EQ(map.width(), 640);
  EXPECT_EQ(map.palette, std::vector<Color>(kRegionColors.begin(), kRegionColors.end()));
  std::set<Color> seen;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      int region = 0;
      for (const RegionRect& r : kStreetRegions)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) region = r.region;
      ASSERT_EQ(map.at(x, y), kRegionColors[region]) << x << "," << y;
      seen.insert(map.at(x, y));
    }
  }
  EXPECT_EQ(seen.size(), 16u);
  // The documented rectangles: one for each region, well apart.
  std::set<int> regions;
  for (const RegionRect& a : kStreetRegions) {
    regions.insert(a.region);
    for (const RegionRect& b : kStreetRegions) {
      if (&a == &b) continue;
      const bool apart = a.right + 8 <= b.left || b.right + 8 <= a.left || a.bottom + 8 <= b.top ||
                         b.bottom + 8 <= a.top;
      EXPECT_TRUE(apart) << a.region << " and " << b.region;
    }
  }
  EXPECT_EQ(regions.size(), 15u);
  EXPECT_EQ(*regions.begin(), 1);
}

TEST_F(DemoData, StreetShowsSomethingInEveryRegion) {
  // Each clickable thing differs from the street around it: the region's
  // middle is not the colour just outside its rectangle.
  const Bitmap street = Picture("CG/BG04.BMP");
  for (const RegionRect& r : kStreetRegions) {
    const Color inside = street.at((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    const Color outside = street.at(std::max(r.left - 3, 0), (r.top + r.bottom) / 2);
    EXPECT_NE(inside, outside) << r.what;
  }
}

TEST_F(DemoData, PointersPairASpriteWithAMaskAndShowTheirHotSpot) {
  std::set<std::vector<Color>> shapes;
  for (int n = 0; n <= 10; ++n) {
    SCOPED_TRACE(n);
    const Bitmap sprite = Picture(CursorName(n, false));
    const Bitmap mask = Picture(CursorName(n, true));
    ASSERT_TRUE(sprite.width() == 32 && sprite.height() == 32 && mask.width() == 32 &&
                mask.height() == 32);
    int opaque = 0, top = 32, bottom = -1, left = 32, right = -1;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const Color m = mask.at(x, y);
        ASSERT_TRUE(m == 0 || m == 0xFFFFFF);
        if (m == 0xFFFFFF) {
          ASSERT_EQ(sprite.at(x, y), 0u) << "sprite not black outside the pointer at " << x << "," << y;
          continue;
        }
        ++opaque;
        top = std::min(top, y), bottom = std::max(bottom, y);
        left = std::min(left, x), right = std::max(right, x);
      }
    }
    EXPECT_GT(opaque, 40);
    // The hot spot: the corner for 0..5, the centre for 6..9, the tip of
    // 10's arrow (its lowest point, the arrow centred on it).
    const int hot_x = n <= 5 ? 0 : 16, hot_y = n <= 5 ? 0 : n == 10 ? 24 : 16;
    EXPECT_EQ(mask.at(hot_x, hot_y), 0u) << "hot spot not opaque";
    EXPECT_TRUE(n != 10 || bottom == 24);
    EXPECT_TRUE(n < 6 || n == 7 || left + right == 32) << left << "-" << right;
    EXPECT_TRUE((n != 6 && n != 8 && n != 9) || top + bottom == 32) << top << "-" << bottom;
    if (n >= 1) shapes.insert(sprite.pixels());
  }
  EXPECT_EQ(shapes.size(), 10u) << "pointer shapes 1..10 are not all different";
  EXPECT_EQ(Read(CursorName(0, false)), Read(CursorName(1, false)));
  EXPECT_EQ(Read(CursorName(0, true)), Read(CursorName(1, true)));
}

TEST_F(DemoData, WaveFilesAreShortPcmOfTheRightLength) {
  const Bytes chime = Read("SOUND/QV00.WAV");
  const auto probe = formats::CheckWave(chime);
  ASSERT_TRUE(probe) << probe.fault().what;
  EXPECT_EQ(probe->format_tag, formats::wave_format::kPcm);
  EXPECT_GT(probe->length_ms, 50u);
  EXPECT_LT(probe->length_ms, 500u);
  // Quiet: no sample beyond a quarter of full scale.
  ASSERT_EQ(probe->bits, 16);
  int peak = 0;
  for (uint32_t i = 0; i + 1 < probe->data_size; i += 2)
    peak = std::max(peak, std::abs(static_cast<int16_t>(chime[probe->data_at + i] | (chime[probe->data_at + i + 1] << 8))));
  EXPECT_GT(peak, 500);
  EXPECT_LT(peak, 8192);

  // Every piece the demo plays exists as a WAVE file too.
  for (const char* piece : {"SOUND/M01.WAV", "SOUND/M02.WAV"}) {
    SCOPED_TRACE(piece);
    const auto wave = formats::CheckWave(Read(piece));
    ASSERT_TRUE(wave) << wave.fault().what;
    EXPECT_EQ(wave->format_tag, formats::wave_format::kPcm);
    EXPECT_GE(wave->length_ms, 10000u);
    EXPECT_LE(wave->length_ms, 30000u);
    EXPECT_EQ(wave->byte_rate, wave->sample_rate * wave->block_align);
  }
}

// Note events (tick, channel, key) of a file, with its programs by channel.
struct Music {
  std::multiset<std::tuple<uint64_t, int, int>> notes;
  std::map<int, int> programs;
};

Music Notes(const formats::MidiSummary& file) {
  Music m;
  for (const auto& track : file.track_events)
    for (const auto& e : track.events) {
      if ((e.status & 0xF0) == 0x90 && e.data[1] > 0) m.notes.insert({e.tick, e.status & 0x0F, e.data[0]});
      if ((e.status & 0xF0) == 0xC0) m.programs[e.status & 0x0F] = e.data[0];
    }
  return m;
}

TEST_F(DemoData, MidiFilesAreWellFormedAndLastAsLongAsIntended) {
  struct Facts {
    const char* name;
    int format;
    uint32_t min_ms, max_ms;
    std::size_t min_channels;
  };
  const Facts files[] = {{"SOUND/QV00.MID", 0, 200, 3000, 1},
                         {"SOUND/M01.MID", 1, 20000, 40000, 3},
                         {"SOUND/M02.MID", 0, 10000, 40000, 3},
                         {"SOUND/SC88/M01.MID", 1, 20000, 40000, 3},
                         {"SOUND/SC88/M02.MID", 0, 10000, 40000, 3}};
  for (const Facts& f : files) {
    SCOPED_TRACE(f.name);
    const Bytes bytes = Read(f.name);
    const auto file = formats::ReadMidi(bytes);
    ASSERT_TRUE(file) << file.fault().what;
    EXPECT_EQ(file->format, f.format);
    EXPECT_GE(file->length_ms, f.min_ms);
    EXPECT_LE(file->length_ms, f.max_ms);
    // Strictly formed: each track's end closes its chunk, the last track
    // ends the file.
    EXPECT_EQ(file->clean, bytes);
    for (const auto& track : file->track_events) EXPECT_EQ(track.used, track.chunk_size);
    const Music m = Notes(*file);
    std::set<int> channels;
    for (const auto& [tick, channel, key] : m.notes) channels.insert(channel);
    EXPECT_GE(channels.size(), f.min_channels);
    for (int c : channels) EXPECT_TRUE(m.programs.count(c)) << "channel " << c << " has no program";
    EXPECT_FALSE(channels.count(9)) << "the percussion channel plays notes";
  }
}

TEST_F(DemoData, SoundSourceTwinsPlayTheSameNotesOnOtherInstruments) {
  for (const char* piece : {"M01.MID", "M02.MID"}) {
    SCOPED_TRACE(piece);
    const auto gm = formats::ReadMidi(Read(std::string("SOUND/") + piece));
    const auto sc = formats::ReadMidi(Read(std::string("SOUND/SC88/") + piece));
    ASSERT_TRUE(gm && sc);
    const Music a = Notes(*gm), b = Notes(*sc);
    EXPECT_EQ(a.notes, b.notes);
    EXPECT_NE(a.programs, b.programs);
  }
}

TEST_F(DemoData, GenerationIsRepeatable) {
  // The build regenerates the data whenever the generator changes; the same
  // output from another run keeps that from churning (and catches reliance
  // on hash order or addresses).
  const std::vector<DataFile> files = MakeDemoData();
  EXPECT_GE(files.size(), 17u + 22u + 7u);
  for (const DataFile& f : files) EXPECT_TRUE(Read(f.path) == f.bytes) << f.path;
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(VELMOR_DEMO_DIR) / "SNX"));
}

}  // namespace
}  // namespace velmor::datagen
