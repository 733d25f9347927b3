// A save of our own holds the game's own fields as numbers. A file whose
// check sum matches may still hold any of them out of range (written by a
// tool, by another version, or damaged before the check sum was taken):
// each field at its extremes, saved at the wait where it is used, is either
// refused when loaded or played on, and never makes the game read or write
// outside what it holds (the sanitized suite runs this too).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scripted_games.h"
#include "support/waits_game.h"

namespace velmor::testing {
namespace {

struct Field {
  const char* name;
  const char* wait;  // where it is saved
  std::function<void(FormInternals&, uint32_t)> set;
};

// -v, wrapping as a save's bits would.
int32_t Negated(uint32_t v) { return static_cast<int32_t>(0u - v); }

// Every field a save holds that indexes, sizes or places something.
std::vector<Field> Fields() {
  auto box = [](FormInternals& f) -> text::BoxRec& { return f.msgwin.msg; };
  return {
      {"inx", "TypeText", [](FormInternals& f, uint32_t v) { f.scn.inx = static_cast<uint16_t>(v); }},
      {"ReturnInx", "TypeText", [](FormInternals& f, uint32_t v) { f.scn.ReturnInx.fill(static_cast<uint16_t>(v)); }},
      {"ResultVar", "ChoiceProc", [](FormInternals& f, uint32_t v) { f.scn.ResultVar = static_cast<int32_t>(v); }},
      {"WaitCount", "WaitTicks", [](FormInternals& f, uint32_t v) { f.scn.WaitCount = static_cast<int32_t>(v); }},
      {"StatusVars", "TypeText", [](FormInternals& f, uint32_t v) { f.scn.StatusVars.fill(static_cast<uint16_t>(v)); }},
      {"MsgPos", "TypeText", [](FormInternals& f, uint32_t v) { f.msgwin.MsgPos = v; }},
      {"BlinkCount", "TypeText", [](FormInternals& f, uint32_t v) { f.msgwin.BlinkCount = static_cast<uint8_t>(v); }},
      {"BoxRect", "TypeText", [=](FormInternals& f, uint32_t v) {
         const auto n = static_cast<int32_t>(v);
         box(f).BoxRect = {n, n, n, n};
       }},
      {"BoxRect.wide", "TypeText", [=](FormInternals& f, uint32_t v) {
         const auto n = static_cast<int32_t>(v);
         box(f).BoxRect = {Negated(v), Negated(v), n, n};
       }},
      {"frame place", "TypeText", [=](FormInternals& f, uint32_t v) {
         box(f).bpx = box(f).bpy = static_cast<int32_t>(v);
       }},
      {"text origin", "TypeText", [=](FormInternals& f, uint32_t v) {
         box(f).wpx = box(f).wpy = static_cast<int32_t>(v);
       }},
      {"line width", "TypeText", [=](FormInternals& f, uint32_t v) {
         box(f).wdx = box(f).wdy = static_cast<int32_t>(v);
       }},
      {"typing place", "TypeText", [=](FormInternals& f, uint32_t v) {
         box(f).csx = box(f).csy = static_cast<int32_t>(v);
       }},
      {"advance", "TypeText", [=](FormInternals& f, uint32_t v) {
         box(f).fdx = box(f).fdy = static_cast<int32_t>(v);
       }},
      {"pri", "TypeText", [=](FormInternals& f, uint32_t v) { box(f).pri = static_cast<uint16_t>(v); }},
      {"font", "TypeText", [](FormInternals& f, uint32_t v) {
         f.layers.font = {static_cast<int32_t>(v), v};
       }},
      {"PictureRect", "TypeText", [](FormInternals& f, uint32_t v) {
         const auto n = static_cast<int32_t>(v);
         f.layers.PictureRect = {n, n, n, n};
       }},
      {"MeshPass", "DissolveIn", [](FormInternals& f, uint32_t v) { f.picture.MeshPass = static_cast<uint8_t>(v); }},
      {"MeshAcc", "DissolveIn", [](FormInternals& f, uint32_t v) { f.picture.MeshAcc = static_cast<uint8_t>(v); }},
      {"CursorNumber", "HitMapPress", [](FormInternals& f, uint32_t v) {
         f.cursors.CursorNumber = f.cursors.CursorNumber0 = static_cast<int32_t>(v);
       }},
      {"HitCursor", "HitMapPress", [](FormInternals& f, uint32_t v) {
         f.hitmap.HitCursor = f.hitmap.HitCursorDown = static_cast<int32_t>(v);
       }},
      {"AnimCount", "AnimationStep", [](FormInternals& f, uint32_t v) { f.animation.AnimCount = static_cast<int32_t>(v); }},
      {"AnimRect", "AnimationStep", [](FormInternals& f, uint32_t v) {
         const auto n = static_cast<int32_t>(v);
         f.animation.AnimRect = {Negated(v), Negated(v), n, n};
       }},
      {"spf", "TypeText", [](FormInternals& f, uint32_t v) { f.input.spf = static_cast<int32_t>(v); }},
  };
}

// A game at the wait, saved in slot 1.
std::unique_ptr<GameRig> AtWait(const std::string& wait) {
  auto g = std::make_unique<GameRig>(WaitsScenario(), Size{640, 480});
  PutWaitsGame(g->files);
  g->Start();
  g->Run(ScriptTo(wait) + "save 1\n");
  EXPECT_EQ(scenario::WaitHandlerName(g->in().scn.MainProc), wait);
  return g;
}

TEST(SaveFields, AnyFieldAtItsExtremesIsRefusedOrPlayedOn) {
  for (const std::string wait :
       {"TypeText", "ChoiceProc", "WaitTicks", "HitMapPress", "AnimationStep", "DissolveIn"}) {
    SCOPED_TRACE(wait);
    std::unique_ptr<GameRig> g = AtWait(wait);
    for (const Field& field : Fields()) {
      if (field.wait != wait) continue;
      for (uint32_t value : {0u, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x10000u}) {
        SCOPED_TRACE(std::string(field.name) + " " + std::to_string(value));
        // A game that ended on the last case (a scenario fault's box) is
        // started again.
        g->Run("load 1\n");
        if (g->game->ended() || g->game->Notices().empty() || g->game->Notices().back() != "Loaded slot 1")
          g = AtWait(wait);
        FormInternals in = g->in();
        field.set(in, value);
        // Saved with the field so, then loaded over the game as it was.
        g->Run("save 2\nload 1\nload 2\n");
        const std::string told = g->game->Notices().back();
        EXPECT_TRUE(told == "Loaded slot 2" || told.starts_with("Cannot load slot 2: ")) << told;
        g->Run("tick 3\nclick left\ntick 3\nkey 1\npointer 150 150\nclick left\ntick 10\n");
      }
    }
  }
}

// What no game writes, and what it would do: read before the message, draw
// at sums past a place's range, count a wait past its range, or dissolve for
// ever. Each is refused with the reason, the game left as it was.
TEST(SaveFields, WhatNoGameWritesIsRefused) {
  struct Case {
    const char* field;
    uint32_t value;
    const char* told;
  };
  for (const Case c : {Case{"MsgPos", 0, "message"}, Case{"font", 256, "message"},
                       Case{"font", 0xFFFFFF00u, "message"}, Case{"frame place", 1u << 25, "places"},
                       Case{"PictureRect", 0x80000000u, "places"}, Case{"AnimRect", 1u << 25, "places"},
                       Case{"WaitCount", 0x80000000u, "waits"}, Case{"AnimCount", 0xFFFFFFFFu, "waits"},
                       Case{"MeshPass", 17, "waits"}}) {
    SCOPED_TRACE(std::string(c.field) + " " + std::to_string(c.value));
    const std::vector<Field> fields = Fields();
    const auto field = std::find_if(fields.begin(), fields.end(),
                                    [&c](const Field& f) { return f.name == std::string(c.field); });
    ASSERT_NE(field, fields.end());
    std::unique_ptr<GameRig> g = AtWait(field->wait);
    FormInternals in = g->in();
    field->set(in, c.value);
    g->Run("save 2\nload 1\n");
    const std::string state = g->game->StateJson();
    g->Run("load 2\n");
    EXPECT_EQ(g->game->Notices().back(),
              "Cannot load slot 2: the state's " + std::string(c.told) + (c.told == std::string("message") ? " makes" : " make") + " no sense");
    EXPECT_EQ(g->game->StateJson(), state);
  }
}

}  // namespace
}  // namespace velmor::testing
