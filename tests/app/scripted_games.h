// Small scenarios and script helpers the app suite's games share.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/sjis.h"
#include "support/assembly.h"
#include "support/bytecode.h"
#include "support/game_data.h"

namespace velmor::testing {

inline std::string S(std::string_view utf8) { return Sjis(utf8).str(); }

// NAMEHERO (given name into entry 0, family name into entry 2), then CLICK.
inline std::vector<uint8_t> NameHero() { return Code().b(44).b(22).bytes; }

// The script line putting the pointer on logical point (x, y) at 100 % on a 1024 x 768 screen.
inline std::string At(int x, int y) {
  return "pointer " + std::to_string(192 + x) + " " + std::to_string(144 + y) + "\n";
}

// A game started and standing at its first click wait.
inline void AtFirstClick(GameRig& g) {
  g.Start();
  g.Ticks(1);
}

// At a click wait: it lasts `ticks` more ticks and no fewer.
inline void ExpectTheWaitLasts(GameRig& g, int ticks) {
  g.Run("tick " + std::to_string(ticks - 1) + "\n");
  EXPECT_EQ(g.in().scn.MainProc, scenario::WaitHandler::WaitClick);
  g.Run("tick\n");
  EXPECT_NE(g.in().scn.MainProc, scenario::WaitHandler::WaitClick);
}

}  // namespace velmor::testing
