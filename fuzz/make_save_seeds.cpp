// Writes the seeds the own_save fuzz campaigns start from: the game with
// every kind of wait (support/waits_game.h) saved at each of the stops in
// own_save_game.h, each file without its last
// four bytes (the CRC-32 the fuzz target puts back). Each save twice: as
// the game writes it (its state packed: a mutation there mostly reaches
// the unpacking) and with its state unpacked (<stop>-unpacked: mutations
// reach the state's fields).
//
// Usage: fuzz_save_seeds FOLDER   (writes FOLDER/own_save/<stop>)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/own_saves.h"
#include "formats/snapshot_file.h"
#include "fuzz_game.h"
#include "own_save_game.h"
#include "platform/shared/deflate_compressor.h"

namespace {

// The file without its check sum.
bool WriteSeed(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size() - 4));
  if (!out) std::fprintf(stderr, "fuzz_save_seeds: cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  using namespace velmor;
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_save_seeds FOLDER\n");
    return 2;
  }
  if (velmor::testing::WaitsScenario().empty()) {
    std::fprintf(stderr, "fuzz_save_seeds: the game's scenario does not assemble\n");
    return 1;
  }
  const fs::path folder = fs::path(argv[1]) / "own_save";
  // Stops renamed or gone leave no saves behind.
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder);
  const std::string path = "PROG/" + app::OwnSaveFileName(1);
  for (const fuzzing::SaveStop& stop : fuzzing::SaveStops()) {
    platform::MemoryFiles files = fuzzing::GameFiles();
    velmor::testing::PutWaitsGame(files);
    std::unique_ptr<main::HeadlessGame> game = fuzzing::MakeGame(files);
    std::string error;
    if (game->Start() || !game->RunScript(stop.script + "save 1\n", &error) ||
        files.Get(path) == nullptr || files.Get(path)->size() < 4) {
      const std::string told = game->Notices().empty() ? error : game->Notices().back();
      std::fprintf(stderr, "fuzz_save_seeds: no save at %s: %s\n", stop.name.c_str(), told.c_str());
      return 1;
    }
    const std::vector<uint8_t>& bytes = *files.Get(path);
    std::printf("%s: %s, %zu bytes\n", stop.name.c_str(),
                scenario::WaitHandlerName(game->form().view().scn.MainProc), bytes.size());
    const formats::FormatResult<formats::SaveFile> save =
        formats::DecodeSaveFile(bytes, platform::Deflate());
    if (!save) {
      std::fprintf(stderr, "fuzz_save_seeds: the save at %s does not read: %s\n", stop.name.c_str(),
                   save.fault().Text().c_str());
      return 1;
    }
    if (!WriteSeed(folder / stop.name, bytes) ||
        !WriteSeed(folder / (stop.name + "-unpacked"),
                   formats::EncodeSaveFile(save->header, save->snapshot, nullptr)))
      return 1;
  }
  return 0;
}
