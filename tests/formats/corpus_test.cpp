// Every file of the format corpus (tests/data/formats/<kind>/) against its
// expected verdict in verdicts.txt: "ok: " and what the file holds (size,
// encoding, playing time) and what the check passes on to the decoder, or
// the start of the reason the check gives. Hand-made hostile files and fuzz
// finds are kept there alike; a file without a verdict, or a verdict without
// its file, fails too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "formats/bmp.h"
#include "formats/midi.h"
#include "formats/wave.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;
const fs::path kCorpus = fs::path(VELMOR_TEST_DATA_DIR) / "formats";

std::map<std::string, std::string> ExpectedVerdicts() {
  std::map<std::string, std::string> verdicts;
  std::ifstream in(kCorpus / "verdicts.txt");
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t space = line.find(' ');
    verdicts[line.substr(0, space)] = space == std::string::npos ? "" : line.substr(space + 1);
  }
  return verdicts;
}

// What the check makes of a file it takes: its encoding and playing time.
std::string Describe(const Bitmap& b) {
  return std::to_string(b.width()) + "x" + std::to_string(b.height());
}
// Then what the check hands the decoder: a WAVE file's chunks with their
// sizes (only "fmt " and "data", ADPCM data filled up to whole blocks), the
// start and size of a MIDI file (unwrapped, cut after its last track).
std::string Describe(const formats::WaveSummary& w) {
  std::ostringstream out;
  out << "format 0x" << std::hex << w.format_tag << std::dec << ", " << w.channels
      << " channels, " << w.bits << " bits, " << w.frames << " frames, " << w.length_ms
      << " ms; passes on";
  const std::vector<uint8_t>& c = w.clean;
  for (std::size_t at = 12; at + 8 <= c.size();) {
    const uint32_t size = c[at + 4] | c[at + 5] << 8 | c[at + 6] << 16 | uint32_t{c[at + 7]} << 24;
    out << (at == 12 ? " \"" : ", \"") << std::string(c.begin() + at, c.begin() + at + 4) << "\" "
        << size;
    at += 8 + size + (size & 1);
  }
  return out.str();
}
std::string Describe(const formats::MidiSummary& m) {
  return "format " + std::to_string(m.format) + ", " + std::to_string(m.tracks) + " tracks, " +
         std::to_string(m.length_ms) + " ms; passes on " +
         std::string(m.clean.begin(), m.clean.begin() + std::min<std::size_t>(4, m.clean.size())) +
         ", " + std::to_string(m.clean.size()) + " bytes";
}

// "ok: " and what the file holds, or the reason the file is refused.
std::string VerdictOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  const std::string ext = file.extension().string();
  auto verdict = [](const auto& result) {
    return result ? "ok: " + Describe(*result) : result.fault().what;
  };
  if (ext == ".bmp") return verdict(formats::DecodeBmp(bytes));
  if (ext == ".wav") return verdict(formats::CheckWave(bytes));
  if (ext == ".mid" || ext == ".rmi") return verdict(formats::CheckMidi(bytes));
  return "no check for " + ext;
}

TEST(FormatCorpus, EveryFileGetsItsVerdict) {
  std::map<std::string, std::string> expected = ExpectedVerdicts();
  ASSERT_FALSE(expected.empty()) << "no verdicts.txt in " << kCorpus;
  int checked = 0;
  for (const auto& entry : fs::recursive_directory_iterator(kCorpus)) {
    if (!entry.is_regular_file() || entry.path().filename() == "verdicts.txt") continue;
    const std::string name = fs::relative(entry.path(), kCorpus).generic_string();
    const auto it = expected.find(name);
    if (it == expected.end()) {
      ADD_FAILURE() << name << " has no verdict; it gives: " << VerdictOf(entry.path());
      continue;
    }
    const std::string got = VerdictOf(entry.path());
    EXPECT_EQ(got.substr(0, it->second.size()), it->second) << name << " gives: " << got;
    if (!it->second.starts_with("ok")) {
      EXPECT_FALSE(got.starts_with("ok")) << name;
    }
    expected.erase(it);
    ++checked;
  }
  for (const auto& [name, verdict] : expected) ADD_FAILURE() << name << " is listed but missing";
  EXPECT_GT(checked, 20);
}

}  // namespace
}  // namespace velmor::testing
