// Replays kept fuzz inputs through a fuzz target without libFuzzer, so the
// normal build checks every input a campaign kept (crashers included).
//
// Usage: <target>_replay FILE_OR_FOLDER...
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int replayed = 0;
  auto replay = [&](const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    // A crash names the input it came from.
    std::fprintf(stderr, "%s\n", file.c_str());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    ++replayed;
  };
  for (int i = 1; i < argc; ++i) {
    if (fs::is_directory(argv[i])) {
      for (const auto& entry : fs::recursive_directory_iterator(argv[i]))
        if (entry.is_regular_file()) replay(entry.path());
    } else if (fs::is_regular_file(argv[i])) {
      replay(argv[i]);
    } else {
      std::fprintf(stderr, "no such input: %s\n", argv[i]);
      return 2;
    }
  }
  std::printf("replayed %d inputs\n", replayed);
  return 0;
}
