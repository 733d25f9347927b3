// Finding a game's file in a data folder whose names are in another letter
// case (copies of old discs are often all lower case) against finding it by
// its exact name, in a folder of 100,000 files; and without the folder
// index, as every lookup read the folder before.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/shared/os_files.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 100000;

// <build>/bench_files/CG with kFiles empty files, made once.
const std::string& BigFolder() {
  static const std::string folder = [] {
    const fs::path root = fs::temp_directory_path() / "velmor_bench_files";
    const fs::path cg = root / "cg";
    if (!fs::exists(cg / ("f" + std::to_string(kFiles - 1) + ".bmp"))) {
      fs::create_directories(cg);
      for (int i = 0; i < kFiles; ++i) std::ofstream(cg / ("f" + std::to_string(i) + ".bmp"));
    }
    return root.string() + "/";
  }();
  return folder;
}

std::string Name(int i, bool exact) {
  return BigFolder() + (exact ? "cg/f" : "CG/F") + std::to_string(i) + (exact ? ".bmp" : ".BMP");
}

// Arg 0: the exact name; 1: the name in another case.
void BM_FindFile(benchmark::State& state) {
  const bool exact = state.range(0) == 0;
  BigFolder();
  velmor::platform::OsFiles files;
  files.Exists(Name(0, exact));  // the index is made before the timing
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(files.Exists(Name(i, exact)));
    i = (i + 7919) % kFiles;
  }
  state.SetLabel(exact ? "exact name" : "another case, indexed");
}
BENCHMARK(BM_FindFile)->Arg(0)->Arg(1);

// The lookup without an index: the folder read for every name.
void BM_FindFileUnindexed(benchmark::State& state) {
  BigFolder();
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(velmor::platform::ResolvePath(Name(i, false)));
    i = (i + 7919) % kFiles;
  }
  state.SetLabel("another case, no index");
}
BENCHMARK(BM_FindFileUnindexed)->Iterations(20);

}  // namespace
