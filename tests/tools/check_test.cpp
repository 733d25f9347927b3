// The checker on generated data folders: each planted fault is reported
// once, at the instruction that holds it; a sound game gives no finding.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "language/assembler.h"
#include "check/checker.h"
#include "check/report.h"
#include "platform/headless/memory_files.h"
#include "support/game_data.h"
#include "support/pictures.h"

namespace velmor::check {
namespace {

using Bytes = std::vector<uint8_t>;
// A file of the game replaced, or removed (no bytes).
struct Edit { std::string path; std::optional<Bytes> bytes = {}; };
using Sources = std::vector<std::pair<std::string, std::string>>;  // name and source, INIT first
using enum Severity;
using testing::kDat;

Bytes Asm(const std::string& source) {
  language::AssemblyResult r = language::Assemble(source, "test.s");
  EXPECT_TRUE(r.ok()) << source;
  return r.bytes;
}

// The findings on a game with the assets the scenarios below ask for (pictures BG01, _CG01,
// MAP, animation 1, music M01 for all three sources), after an edit of its files.
// With `beside` each scenario's source lies beside it.
std::vector<Finding> Check(const Sources& sources, const Edit& edit = {}, bool beside = false) {
  platform::MemoryFiles files;
  auto put = [&](const std::string& path, Bytes b) { files.Put(std::string(kDat) + path, b); };
  testing::PutGameData(files, Asm(sources.at(0).second));
  std::vector<std::string> names;
  for (const auto& [name, source] : sources) {
    put("SNX/" + name + ".SNX", Asm(source));
    if (beside) files.Put(std::string(kDat) + "SNX/" + name + ".s", source);
    names.push_back(name);
  }
  for (std::string name : {"BG01", "_CG01", "MAP"})
    put("CG/" + name + ".BMP", testing::BmpBytes(Bitmap(64, 48, 0x336699)));
  put("CG/BA01.BMP", testing::BmpBytes(Bitmap(256, 1152, 0x112233)));
  put("SOUND/M01.WAV", testing::TinyWave());
  for (std::string midi : {"SOUND/M01.MID", "SOUND/SC88/M01.MID"}) put(midi, testing::TinyMidi());
  if (edit.bytes) put(edit.path, *edit.bytes);
  else if (!edit.path.empty()) files.Remove(std::string(kDat) + edit.path);
  return CheckGame(files, kDat, names);
}

TEST(CheckTest, ASoundGameHasNoFinding) {
  // A title loop that waits, a called scene with all kinds of assets, names in another letter
  // case; and a loop that waits where its call goes on to (the callee's GOTO waits).
  for (const Sources& sources :
       {Sources{{"INIT", "top: MUSIC \"m01\"\nPICTURE \"bg01\"\nTEXT \"hello\"\nCALL \"scene\"\n"
                         "JUMPZ work[1] == 2, top\nGOTO \"NEXT\""},
                {"SCENE", "PICTURE \"_CG01\"\nHITMAP work[1], \"map\", 6, 9\nCURSORBACK\nANIME 1\n"
                          "TEXTN 18, @line\nRETURN\nline: string \"a \\c{0}line\""},
                {"NEXT", "again: CLICK\n    JUMP again\n"}},
        Sources{{"INIT", "top: CALL \"HOP\"\nJUMP top"}, {"HOP", "GOTO \"WAITS\""},
                {"WAITS", "CLICK\nRETURN"}}})
    EXPECT_EQ(FindingsText(Check(sources)), "0 errors, 0 warnings, 0 information\n");
}

// Each fault planted in a sound game is reported once, where it is: at the
// label "fault:" in the file reported, if it has one.
TEST(PlantedFaultTest, IsReportedOnceWhereItIs) {
  struct Planted {
    std::string init;  // INIT's source
    Edit edit;
    const char* message;  // a part of the message
    Severity severity = Error;
    const char* file = "INIT.SNX";  // "" for the data folder
    int complaints = 1;             // errors and warnings in all
    Sources others = {};
  };
  const char* music = "fault: MUSIC \"M01\"\nEND";
  Bytes bad_midi = testing::TinyMidi();
  bad_midi[18] = 0x7F;  // the first track's length, far past the end
  const Planted cases[] = {
      {"fault: PICTURE \"NOPE\"\nEND", {}, "full-screen picture CG/NOPE.BMP is missing"},
      {"fault: PICTURE \"BG01\"\nEND", {"CG/BG01.BMP", Bytes{'n', 'o'}},
       "full-screen picture CG/BG01.BMP is refused: not a BMP"},
      {"fault: PICTURE \"BG01BG01BG01BG01X\"\nEND",
       {"CG/BG01BG01BG01BG01.BMP", testing::BmpBytes(Bitmap(8, 8, 0))},
       "the engine keeps the first 16", Warning},
      {"fault: HITMAP work[1], \"NOMAP\", 0, 0\nEND", {},
       "hit-map picture CG/NOMAP.BMP is missing"},
      // Shapes 9 and 10: hit maps only (the settings offer 1..7).
      {"fault: HITMAP work[1], \"MAP\", 9, 9\nEND", {"CURSOR/CSR09M.BMP"},
       "cursor mask CURSOR/CSR09M.BMP is missing"},
      {"fault: HITMAP work[1], \"MAP\", 0, 10\nEND", {"CURSOR/CSR10.BMP"},
       "cursor sprite CURSOR/CSR10.BMP is missing"},
      {"fault: ANIME 3\nEND", {}, "animation strip CG/BA03.BMP is missing"},
      // A form missing beside the others is a warning; a piece without any, an error each.
      {music, {"SOUND/M01.WAV"}, "WAVE music SOUND/M01.WAV is missing: a player who", Warning},
      {music, {"SOUND/M01.MID"}, "MIDI music SOUND/M01.MID is missing", Warning},
      {music, {"SOUND/SC88/M01.MID"}, "SC-88 MIDI music SOUND/SC88/M01.MID is missing", Warning},
      {"fault: MUSIC \"M02\"\nEND", {}, "WAVE music SOUND/M02.WAV is missing", Error, "INIT.SNX",
       3},
      {music, {"SOUND/M01.MID", bad_midi}, "MIDI music SOUND/M01.MID is refused: damaged MIDI"},
      {"CLICK\nfault: GOTO \"NOWHERE\"", {}, "scenario SNX/NOWHERE.SNX is missing"},
      {"fault: CALL \"BIG\"\nEND", {"SNX/BIG.SNX", Bytes(70000, 22)},
       "scenario SNX/BIG.SNX is 70000 bytes; a scenario file holds at most 65536"},
      {"END", {"CG/CHU.BMP"}, "start-up picture CG/CHU.BMP is missing", Error, ""},
      {"END", {"CURSOR/CSR04M.BMP"}, "pointer shape 4 CURSOR/CSR04M.BMP is missing", Error, ""},
      {"END", {"SNX/INIT.SNX"}, "the first scenario SNX/INIT.SNX is missing", Error, ""},
      // Operands the assembler refuses, written as bytes.
      {"fault: db 0, 0x2C, 0x01, 1, 0\nEND", {}, "work[300] is out of range"},
      {"fault: TEXT @t\nEND\nt: db \"a\", 0x81, 0, \"b\", 0", {},
       "a double-byte character at byte 1 has 0 for its second byte"},
      {"CLICK\nfault: JUMP 0x1000\n", {}, "jumps to 0x1000, outside the file"},
      {"fault: JUMPF flag[1], 0x0007\nLET work[1], 5\nEND", {},
       "jumps to 0x0007, into the middle of the instruction at 0x0005"},
      {"fault: TEXT @0x2000\nEND", {}, "the message's text at 0x2000 lies outside the file"},
      {"CLICK\nfault: LET work[1], 1", {}, "runs on past the end of the file"},
      {"CLICK\nfault: RETURN", {}, "RETURN at call level 0"},
      {"GOTO \"NEXT\"", {}, "RETURN at call level 0", Error, "NEXT.SNX", 1,
       {{"NEXT", "CLICK\nfault: RETURN"}}},
      {"CLICK\nfault: ADD work[1], 1\nJUMP fault", {}, "can go round without any wait", Warning},
      {"fault: CALL \"COUNT\"\nJUMP fault", {}, "can go round without any wait", Warning,
       "INIT.SNX", 1, {{"COUNT", "ADD work[1], 1\nRETURN"}}},
      {"CLICK\nEND\nfault: LET work[1], 1\nEND", {},
       "6 bytes from 0x0002 to 0x0007 that no path reaches", Information, "INIT.SNX", 0},
      {"END", {}, "no GOTO or CALL on the way from INIT leads to this file", Information,
       "LOST.SNX", 0, {{"LOST", "fault: END"}}},
  };
  for (const Planted& p : cases) {
    SCOPED_TRACE(p.message);
    Sources sources{{"INIT", p.init}};
    sources.insert(sources.end(), p.others.begin(), p.others.end());
    std::optional<uint32_t> at;
    for (const auto& [name, source] : sources) {
      auto labels = language::Assemble(source, "test.s").labels;
      if (name + ".SNX" == p.file && labels.contains("fault")) at = labels["fault"];
    }
    std::vector<Finding> findings = Check(sources, p.edit);
    auto matches = [&](const Finding& f) { return f.message.find(p.message) != std::string::npos; };
    auto found = std::ranges::find_if(findings, matches);
    ASSERT_NE(found, findings.end()) << FindingsText(findings);
    EXPECT_EQ(std::tuple(found->severity, found->file, found->offset),
              std::tuple(p.severity, p.file, at)) << FindingsText(findings);
    EXPECT_TRUE(!at || p.severity == Information || !found->instruction.empty());
    EXPECT_EQ(std::ranges::count_if(findings, matches), 1) << FindingsText(findings);
    auto complaint = [](const Finding& f) { return f.severity != Information; };
    EXPECT_EQ(std::ranges::count_if(findings, complaint), p.complaints) << FindingsText(findings);
  }
}

TEST(CheckReportTest, TextAndJsonNameThePlaceAndTheInstruction) {
  std::vector<Finding> findings = Check({{"INIT", "CLICK\nPICTURE \"NOPE\"\nEND"}});
  EXPECT_EQ(FindingsText(findings),
            "INIT.SNX:0x0001: error: full-screen picture CG/NOPE.BMP is missing\n"
            "    PICTURE \"NOPE\"\n"
            "1 error, 0 warnings, 0 information\n");
  EXPECT_EQ(FindingsJson(findings),
            "{\"errors\":1,\"warnings\":0,\"information\":0,\"findings\":[{\"severity\":\"error\","
            "\"file\":\"INIT.SNX\",\"offset\":1,\"source\":null,\"instruction\":\"PICTURE \\\"NOPE\\\"\","
            "\"message\":\"full-screen picture CG/NOPE.BMP is missing\"}]}\n");
  // The source beside the file gives the line (an included file's own); one that no longer
  // assembles to the file gives none.
  const Sources beside{{"INIT", "CLICK\n\nPICTURE \"NOPE\"\nTEXT @t\nEND\nt: string \"x\"\nEND\n"}};
  findings = Check(beside, {}, true);
  ASSERT_EQ(findings.size(), 2u) << FindingsText(findings);
  EXPECT_EQ(FindingsText(findings),
            "INIT.SNX:0x0001 (GAME/SNX/INIT.s:3): error: full-screen picture CG/NOPE.BMP is "
            "missing\n    PICTURE \"NOPE\"\n"
            "INIT.SNX:0x000E (GAME/SNX/INIT.s:7): information: 1 byte from 0x000E to 0x000E that "
            "no path reaches\n    END\n"
            "1 error, 0 warnings, 1 information\n");
  EXPECT_NE(FindingsJson(findings).find("\"source\":\"GAME/SNX/INIT.s:3\""), std::string::npos);
  findings = Check(beside, {"SNX/INIT.s", Bytes{'E', 'N', 'D'}}, true);
  EXPECT_EQ(findings.at(0).source, "");
}

}  // namespace
}  // namespace velmor::check
