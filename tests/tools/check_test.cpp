// The checker on generated data folders: each planted fault is reported
// once, at the instruction that holds it; a sound game gives no finding.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "asm_helpers.h"
#include "check/checker.h"
#include "check/report.h"
#include "platform/headless/memory_files.h"
#include "support/game_data.h"
#include "support/pictures.h"

namespace velmor::check {
namespace {

using assembly::testing::Asm;
using assembly::testing::Bytes;
using testing::kDat;

// The scenario files of a test: name and source, INIT first.
using Sources = std::vector<std::pair<std::string, std::string>>;

// A game with everything the sound scenarios below ask for: pictures BG01,
// _CG01 and MAP, animation 1, music M01 for all three sources.
void PutGame(platform::MemoryFiles& files, const Sources& sources) {
  testing::PutGameData(files, Asm(sources.at(0).second));
  for (const auto& [name, source] : sources) files.Put(std::string(kDat) + "SNX/" + name + ".SNX", Asm(source));
  for (const char* name : {"BG01", "_CG01", "MAP"})
    files.Put(std::string(kDat) + "CG/" + name + ".BMP", testing::BmpBytes(Bitmap(64, 48, 0x336699)));
  files.Put(std::string(kDat) + "CG/BA01.BMP", testing::BmpBytes(Bitmap(256, 1152, 0x112233)));
  files.Put(std::string(kDat) + "SOUND/M01.WAV", testing::TinyWave());
  files.Put(std::string(kDat) + "SOUND/M01.MID", testing::TinyMidi());
  files.Put(std::string(kDat) + "SOUND/SC88/M01.MID", testing::TinyMidi());
}

std::vector<std::string> Names(const Sources& sources) {
  std::vector<std::string> names;
  for (const auto& [name, source] : sources) names.push_back(name);
  return names;
}

size_t Complaints(const std::vector<Finding>& findings) {
  return std::ranges::count_if(findings, [](const Finding& f) { return f.severity != Severity::Information; });
}

// A sound game: a title loop that waits, a called scene with all kinds of
// assets, names written in another letter case than the files.
const Sources kSound{
    {"INIT", "top: MUSIC \"m01\"\nPICTURE \"bg01\"\nTEXT \"hello\"\nCALL \"scene\"\n"
             "JUMPZ work[1] == 2, top\nGOTO \"NEXT\""},
    {"SCENE", "PICTURE \"_CG01\"\nHITMAP work[1], \"map\", 6, 9\nCURSORBACK\nANIME 1\n"
              "TEXTN 18, @line\nRETURN\nline: string \"a \\c{0}line\""},
    {"NEXT", "again: CLICK\n    JUMP again\n"},
};

TEST(CheckTest, ASoundGameHasNoFinding) {
  // The game above; and a loop that waits wherever its call goes on to (the
  // called file goes to another one, which waits and returns).
  for (const Sources& sources :
       {kSound, Sources{{"INIT", "top: CALL \"HOP\"\nJUMP top"}, {"HOP", "GOTO \"WAITS\""},
                        {"WAITS", "CLICK\nRETURN"}}}) {
    platform::MemoryFiles files;
    PutGame(files, sources);
    std::vector<Finding> findings = CheckGame(files, kDat, Names(sources));
    EXPECT_TRUE(findings.empty()) << FindingsText(findings);
  }
}

auto Remove(std::string path) {
  return [path](platform::MemoryFiles& f) { f.Remove(std::string(kDat) + path); };
}
auto Put(std::string path, Bytes bytes) {
  return [path, bytes](platform::MemoryFiles& f) { f.Put(std::string(kDat) + path, bytes); };
}
Bytes BogusLengthMidi() {
  Bytes b = testing::TinyMidi();
  b[18] = 0x7F;  // the first track's length, far past the end
  return b;
}

struct Planted {
  const char* what;
  Sources sources;  // the game's scenarios; one of them has a label "fault:" where the fault is
  std::function<void(platform::MemoryFiles&)> edit;  // a change to the files, or none
  Severity severity;
  const char* message;  // a part of the message
  const char* file = "INIT.SNX";  // where it is reported ("" for the data folder)
  size_t complaints = 1;          // errors and warnings in all
};

// The offset of the label "fault:" in the source of the file reported, if it has one.
std::optional<uint32_t> FaultOffset(const Planted& p) {
  for (const auto& [name, source] : p.sources) {
    if (name + ".SNX" != p.file || source.find("fault:") == std::string::npos) continue;
    Bytes b = Asm(source + "\n    dw fault\n");
    return static_cast<uint32_t>(b[b.size() - 2] | (b[b.size() - 1] << 8));
  }
  return std::nullopt;
}

// Each fault planted in a sound game is reported once, where it is.
TEST(PlantedFaultTest, IsReportedOnceWhereItIs) {
  const char* music = "fault: MUSIC \"M01\"\nEND";
  const Planted cases[] = {
      // Assets.
      {"a missing picture", {{"INIT", "fault: PICTURE \"NOPE\"\nEND"}}, {}, Severity::Error,
       "full-screen picture CG/NOPE.BMP is missing"},
      {"a picture that is no BMP", {{"INIT", "fault: PICTURE \"BG01\"\nEND"}}, Put("CG/BG01.BMP", Bytes{'n', 'o'}),
       Severity::Error, "full-screen picture CG/BG01.BMP is refused: not a BMP file"},
      {"a picture name the engine cuts", {{"INIT", "fault: PICTURE \"BG01BG01BG01BG01X\"\nEND"}},
       Put("CG/BG01BG01BG01BG01.BMP", testing::BmpBytes(Bitmap(8, 8, 0))), Severity::Warning,
       "the engine keeps the first 16"},
      {"a missing hit map", {{"INIT", "fault: HITMAP work[1], \"NOMAP\", 0, 0\nEND"}}, {}, Severity::Error,
       "hit-map picture CG/NOMAP.BMP is missing"},
      // Shapes 9 and 10: hit maps only (the settings offer 1..7).
      {"a missing cursor mask", {{"INIT", "fault: HITMAP work[1], \"MAP\", 9, 9\nEND"}},
       Remove("CURSOR/CSR09M.BMP"), Severity::Error, "cursor mask CURSOR/CSR09M.BMP is missing"},
      {"a missing cursor sprite", {{"INIT", "fault: HITMAP work[1], \"MAP\", 0, 10\nEND"}},
       Remove("CURSOR/CSR10.BMP"), Severity::Error, "cursor sprite CURSOR/CSR10.BMP is missing"},
      {"a missing animation strip", {{"INIT", "fault: ANIME 3\nEND"}}, {}, Severity::Error,
       "animation strip CG/BA03.BMP is missing"},
      {"music missing for WAVE", {{"INIT", music}}, Remove("SOUND/M01.WAV"), Severity::Error,
       "WAVE music SOUND/M01.WAV is missing"},
      {"music missing for MIDI", {{"INIT", music}}, Remove("SOUND/M01.MID"), Severity::Error,
       "MIDI music SOUND/M01.MID is missing"},
      {"music missing for the SC-88", {{"INIT", music}}, Remove("SOUND/SC88/M01.MID"), Severity::Error,
       "SC-88 MIDI music SOUND/SC88/M01.MID is missing"},
      {"a damaged MIDI file", {{"INIT", music}}, Put("SOUND/M01.MID", BogusLengthMidi()), Severity::Error,
       "MIDI music SOUND/M01.MID is refused: damaged MIDI file"},
      {"a missing scenario", {{"INIT", "CLICK\nfault: GOTO \"NOWHERE\""}}, {}, Severity::Error,
       "scenario SNX/NOWHERE.SNX is missing"},
      {"a scenario larger than the image", {{"INIT", "fault: CALL \"BIG\"\nEND"}}, Put("SNX/BIG.SNX", Bytes(70000, 22)),
       Severity::Error, "scenario SNX/BIG.SNX is 70000 bytes; a scenario file holds at most 65536"},
      {"a missing start-up picture", {{"INIT", "END"}}, Remove("CG/CHU.BMP"), Severity::Error,
       "start-up picture CG/CHU.BMP is missing", ""},
      {"a pointer shape the settings offer", {{"INIT", "END"}}, Remove("CURSOR/CSR04M.BMP"), Severity::Error,
       "pointer shape 4 CURSOR/CSR04M.BMP is missing", ""},
      {"no first scenario", {{"INIT", "END"}}, Remove("SNX/INIT.SNX"), Severity::Error,
       "the first scenario SNX/INIT.SNX is missing", ""},
      // Operands the assembler refuses, written as bytes (each fault of an
      // operand is in the assembler's tables).
      {"a work variable out of range", {{"INIT", "fault: db 0, 0x2C, 0x01, 1, 0\nEND"}}, {}, Severity::Error,
       "work[300] is out of range"},
      {"a message's text that lost its end", {{"INIT", "fault: TEXT @t\nEND\nt: db \"a\", 0x81, 0, \"b\", 0"}}, {},
       Severity::Error, "a double-byte character at byte 1 has 0 for its second byte"},
      // Flow.
      {"a jump outside the file", {{"INIT", "CLICK\nfault: JUMP 0x1000\n"}}, {}, Severity::Error,
       "jumps to 0x1000, outside the file"},
      {"a jump into an instruction", {{"INIT", "fault: JUMPF flag[1], 0x0007\nLET work[1], 5\nEND"}}, {},
       Severity::Error, "jumps to 0x0007, into the middle of the instruction at 0x0005"},
      {"a message's text outside the file", {{"INIT", "fault: TEXT @0x2000\nEND"}}, {}, Severity::Error,
       "the message's text at 0x2000 lies outside the file"},
      {"code that runs off the end", {{"INIT", "CLICK\nfault: LET work[1], 1"}}, {}, Severity::Error,
       "runs on past the end of the file"},
      {"RETURN at call level 0", {{"INIT", "CLICK\nfault: RETURN"}}, {}, Severity::Error, "RETURN at call level 0"},
      {"RETURN in a file INIT goes to", {{"INIT", "GOTO \"NEXT\""}, {"NEXT", "CLICK\nfault: RETURN"}}, {},
       Severity::Error, "RETURN at call level 0", "NEXT.SNX"},
      {"a loop without a wait", {{"INIT", "CLICK\nfault: ADD work[1], 1\nJUMP fault"}}, {}, Severity::Warning,
       "can go round without any wait"},
      {"a loop through a call that never waits",
       {{"INIT", "fault: CALL \"COUNT\"\nJUMP fault"}, {"COUNT", "ADD work[1], 1\nRETURN"}}, {}, Severity::Warning,
       "can go round without any wait"},
      {"code no path reaches", {{"INIT", "CLICK\nEND\nfault: LET work[1], 1\nEND"}}, {}, Severity::Information,
       "6 bytes from 0x0002 to 0x0007 that no path reaches", "INIT.SNX", 0},
      {"a file INIT never leads to", {{"INIT", "END"}, {"LOST", "fault: END"}}, {}, Severity::Information,
       "no GOTO or CALL on the way from INIT leads to this file", "LOST.SNX", 0},
  };
  for (const Planted& p : cases) {
    SCOPED_TRACE(p.what);
    platform::MemoryFiles files;
    PutGame(files, p.sources);
    if (p.edit) p.edit(files);
    std::vector<Finding> findings = CheckGame(files, kDat, Names(p.sources));
    std::optional<uint32_t> at = FaultOffset(p);
    int matches = 0;
    for (const Finding& f : findings) {
      if (f.message.find(p.message) == std::string::npos) continue;
      ++matches;
      EXPECT_EQ(f.severity, p.severity) << FindingsText(findings);
      EXPECT_EQ(f.file, p.file) << FindingsText(findings);
      EXPECT_EQ(f.offset, at) << FindingsText(findings);
      EXPECT_TRUE(!at || f.severity == Severity::Information || !f.instruction.empty());
    }
    EXPECT_EQ(matches, 1) << FindingsText(findings);
    EXPECT_EQ(Complaints(findings), p.complaints) << FindingsText(findings);
  }
}

TEST(CheckReportTest, TextAndJsonNameThePlaceAndTheInstruction) {
  platform::MemoryFiles files;
  Sources sources{{"INIT", "CLICK\nPICTURE \"NOPE\"\nEND"}};
  PutGame(files, sources);
  std::vector<Finding> findings = CheckGame(files, kDat, Names(sources));
  ASSERT_EQ(findings.size(), 1u) << FindingsText(findings);
  EXPECT_EQ(FindingsText(findings),
            "INIT.SNX:0x0001: error: full-screen picture CG/NOPE.BMP is missing\n"
            "    PICTURE \"NOPE\"\n"
            "1 error, 0 warnings, 0 information\n");
  EXPECT_EQ(FindingsJson(findings),
            "{\"errors\":1,\"warnings\":0,\"information\":0,\"findings\":[{\"severity\":\"error\","
            "\"file\":\"INIT.SNX\",\"offset\":1,\"instruction\":\"PICTURE \\\"NOPE\\\"\","
            "\"message\":\"full-screen picture CG/NOPE.BMP is missing\"}]}\n");
}

}  // namespace
}  // namespace velmor::check
