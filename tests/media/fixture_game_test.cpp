// The fixture game the golden frames are taken on: the demo's scenarios and
// every file the demo has, the fixture files byte for byte, and for each
// picture of the demo's art a stand-in of the same size, depth and colour
// table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "datagen/fixtures/demo_layout.h"
#include "datagen/fixtures/fixture_files.h"
#include "datagen/fixtures/fixture_game.h"
#include "formats/bmp.h"

namespace velmor::datagen {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path << " is missing";
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

const fs::path kDemo = VELMOR_DEMO_DIR;
const fs::path kFixtureGame = VELMOR_FIXTURE_GAME_DIR;

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
    EXPECT_EQ(s->width, a->width);
    EXPECT_EQ(s->height, a->height);
    EXPECT_EQ(s->bits, a->bits);
    EXPECT_EQ(s->PaletteEntries(), a->PaletteEntries());
    EXPECT_EQ(s->colours, a->colours);
    EXPECT_EQ(s->file_size, a->file_size);
    if (demo != fixture) ++stand_ins;
  }
  EXPECT_EQ(stand_ins, 8) << "BG01-04, _CG01-03 and BA01 are stand-ins";
  for (const DataFile& f : FixtureFiles()) EXPECT_EQ(Read(kDemo / f.path), f.bytes) << f.path;
  for (const DataFile& f : MakeFixtureGame()) EXPECT_EQ(Read(kFixtureGame / f.path), f.bytes) << f.path;
}

TEST(FixtureGame, TheStandInStreetShowsEachRegionInItsHitMapColour) {
  const auto street = formats::DecodeBmp(Read(kFixtureGame / "CG/BG04.BMP"));
  const auto map = formats::DecodeBmp(Read(kFixtureGame / "CG/MAP01.BMP"));
  ASSERT_TRUE(street && map);
  for (const RegionRect& r : kStreetRegions) {
    for (const auto& [x, y] : {std::pair{r.left, r.top}, std::pair{r.right - 1, r.bottom - 1}}) {
      EXPECT_EQ(street->at(x, y), kRegionColors[static_cast<std::size_t>(r.region)]) << r.what;
      EXPECT_EQ(map->at(x, y), street->at(x, y)) << r.what;
    }
  }
}

}  // namespace
}  // namespace velmor::datagen
