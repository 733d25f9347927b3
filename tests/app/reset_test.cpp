// A game reset in place (how the fuzz targets run one game for many inputs)
// is the game a new one would be: the same input gives the same state, the
// same picture, the same sounds, boxes and files, its pictures decoded once
// and its large pictures in the memory of those the run before let go.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scripted_games.h"
#include "support/bytecode.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;

// All a run leaves that can be seen: the state, the picture, the commands
// the player was given, the boxes, the notices and the slots written.
std::string Outcome(main::HeadlessGame& game, platform::MemoryFiles& files) {
  std::string out = game.StateJson();
  const Bitmap& canvas = game.window().Canvas();
  out.append(reinterpret_cast<const char*>(canvas.pixels().data()),
             canvas.pixels().size() * sizeof(Color));
  for (const std::string& c : game.media().Commands()) out += c + "\n";
  for (const auto& box : game.dialogs().Boxes()) out += box.text + "\n";
  for (const std::string& n : game.Notices()) out += n + "\n";
  for (const char* slot : {"PROG/DATA00", "PROG/DATA01", "PROG/READTEXT.TXT"})
    if (const std::vector<uint8_t>* bytes = files.Get(slot))
      out += std::string(slot) + std::string(bytes->begin(), bytes->end());
  return out + "ticks " + std::to_string(game.ticks());
}

// The scenario target's run: clicks, and the panels' buttons now and then.
void Play(main::HeadlessGame& game) {
  if (game.Start()) return;
  std::string error;
  for (int i = 0; i < 60 && !game.ended(); ++i) {
    if (i % 7 == 0) game.RunScript("click left\n", &error);
    if (i % 13 == 0)
      game.RunScript("control NameCancelButton click\ncontrol SaveCancelButton click\n", &error);
    if (i == 20) game.RunScript("control SaveList select 0\ncontrol SaveButton click\n", &error);
    game.Tick();
  }
}

platform::MemoryFiles FilesFor(const std::vector<uint8_t>& init) {
  platform::MemoryFiles files;
  PutGameData(files, init);
  return files;
}

main::HeadlessOptions Options() {
  main::HeadlessOptions options;
  options.screen = {640, 480};
  options.start.program_folder = "PROG/";
  options.start.data_folder = kDat;
  return options;
}

TEST(ResetGame, ARunAfterAResetIsTheRunOfANewGame) {
  std::vector<std::vector<uint8_t>> inputs = {ClickCounter(), {}};
  // The kept fuzz inputs made by hand (choices and expressions running round
  // the image, texts without their end) and the first dozen a campaign kept.
  std::vector<fs::path> kept;
  for (const auto& entry :
       fs::directory_iterator(fs::path(VELMOR_TEST_DATA_DIR) / "../../fuzz/corpus/scenario"))
    kept.push_back(entry.path());
  std::sort(kept.begin(), kept.end());
  int found = 0;
  for (const fs::path& path : kept) {
    if (path.filename().string().size() == 40 && ++found > 12) continue;
    std::ifstream in(path, std::ios::binary);
    inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  ASSERT_GT(inputs.size(), 5u);
  // A name entry, a save panel, a sound and a picture left behind by the run before.
  Code busy;
  busy.b(32).s("QV00").b(44).b(38).w(20).w(21).b(22);
  inputs.insert(inputs.begin(), busy.bytes);

  // The reused game takes its pictures decoded before, and the pixel
  // buffers of the pictures the run before let go, as the fuzz targets' does.
  graphics::DecodedPictures pictures;
  Bitmap::KeepFreedPixels(16);
  struct KeptNoMore {
    ~KeptNoMore() { Bitmap::KeepFreedPixels(0); }
  } kept_no_more;
  platform::MemoryFiles reused_files = FilesFor(inputs.back());
  main::HeadlessGame reused(reused_files, Options());
  FormInternals(reused.form()).loader.UseCache(&pictures);
  Play(reused);
  for (const std::vector<uint8_t>& init : inputs) {
    SCOPED_TRACE(init.size());
    platform::MemoryFiles fresh_files = FilesFor(init);
    main::HeadlessGame fresh(fresh_files, Options());
    Play(fresh);
    reused_files = FilesFor(init);
    reused.Reset();
    FormInternals(reused.form()).loader.UseCache(&pictures);
    Play(reused);
    EXPECT_EQ(Outcome(reused, reused_files), Outcome(fresh, fresh_files));
  }
}

}  // namespace
}  // namespace velmor::testing
