// A small game with every kind of wait, for what is saved at each of them
// (the save tests and the own_save fuzz target): a picture with the
// message window, coloured text over two lines, a click wait, the status
// strip, a choice, a timed wait, a hit map, an animation, a dissolve to the
// other layout. Its pictures are flat blocks, whose saves stay small.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/bitmap.h"
#include "language/assembler.h"
#include "platform/headless/memory_files.h"
#include "support/game_data.h"
#include "support/pictures.h"

namespace velmor::testing {

inline const std::vector<uint8_t>& WaitsScenario() {
  static const std::vector<uint8_t> bytes = [] {
    const char* source = R"(
start:
    STATUSSET work[1], work[2], work[3], work[4], work[5], work[6], work[7], work[8],
              work[10], work[11], work[12]
    LET work[1], 123
    PICTURE "WALL00"
    TEXT "\pあいう\c{2}えお\c{0}\nABC\s{24}大\s{16}"
    CLICK
    STATUS
    CHOICE work[3], "はい", "いいえ", "たぶん"
    WAIT 30
    HITMAP work[9], "MAP", 1, 2
    ANIME 1
    LAYOUT1
    PICTURE "KURO"
    TEXT "\pDEF"
    CLICK
    LAYOUT0
    JUMP start
)";
    language::AssemblyResult result = language::Assemble(source, "waits.s");
    return result.errors.empty() ? result.bytes : std::vector<uint8_t>{};
  }();
  return bytes;
}

// A picture of a few flat blocks: it packs small, so that the saves the
// campaigns mutate stay small.
inline Bitmap Blocks(int32_t width, int32_t height, Color base) {
  Bitmap picture(width, height, base);
  for (int32_t i = 0; i < 6; ++i)
    FillRect(picture, {i * width / 7, i * height / 6, i * width / 7 + width / 5, (i + 1) * height / 6},
             Color(0x3050A0u + 0x201008u * static_cast<uint32_t>(i)));
  return picture;
}

// The scenario and the pictures it needs beyond the start-up files (made
// once: every input of a campaign puts them again).
inline void PutWaitsGame(platform::MemoryFiles& files) {
  struct Pictures {
    std::vector<uint8_t> wall, mesh, map, strip;
  };
  static const Pictures pictures = [] {
    Pictures p;
    p.wall = BmpBytes(Blocks(640, 480, 0x808080));
    // A coarse mesh: the start-up files' fine one costs a save 200 KB.
    Bitmap mesh(648, 488, kWhite);
    for (int32_t y = 0; y < 488; y += 61)
      for (int32_t x = (y / 61) % 2 * 81; x < 648; x += 162) FillRect(mesh, {x, y, x + 81, y + 61}, kBlack);
    p.mesh = BmpBytes(mesh, 1);
    Bitmap map(640, 480, kBlack);
    FillRect(map, {100, 100, 200, 200}, 0x010000);
    FillRect(map, {300, 100, 400, 200}, 0x020000);
    p.map = BmpBytes(map);
    p.strip = BmpBytes(Blocks(256, 6 * 192, 0xFFFFFF));
    return p;
  }();
  const std::string data = kDat;
  files.Put(data + "SNX/INIT.SNX", WaitsScenario());
  files.Put(data + "CG/WALL00.BMP", pictures.wall);
  files.Put(data + "CG/MESH.BMP", pictures.mesh);
  files.Put(data + "CG/MAP.BMP", pictures.map);
  files.Put(data + "CG/BA01.BMP", pictures.strip);
}

// The input script from the start to the wait of that name ("TypeText",
// "WaitClick", "ChoiceProc", "WaitTicks", "HitMapPress", "AnimationStep",
// "DissolveIn"; "ChangePicture" is the first picture's change).
inline std::string ScriptTo(const std::string& wait) {
  const std::string choice = "screen 640x480\nuntil WaitClick 400\nclick left\nuntil ChoiceProc 400\ntick 2\n";
  const std::string hit_map = choice + "key 1\nuntil HitMapPress 400\npointer 150 150\ntick 2\n";
  const std::string animation = hit_map + "click left\nuntil AnimationStep 400\ntick 5\n";
  if (wait == "ChangePicture") return "tick 3\n";
  if (wait == "TypeText") return "until TypeText 400\ntick 2\n";
  if (wait == "WaitClick") return "until WaitClick 400\n";
  if (wait == "ChoiceProc") return choice;
  if (wait == "WaitTicks") return choice + "key 2\nuntil WaitTicks 400\ntick 3\n";
  if (wait == "HitMapPress") return hit_map;
  if (wait == "AnimationStep") return animation;
  return animation + "until DissolveIn 400\ntick 3\n";
}

}  // namespace velmor::testing
