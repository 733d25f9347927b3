// Saves of our own and going back on small games: a save at a page wait, a
// timed wait and a hit map goes on as the game did; going back steps to the
// page before exactly as it was, forward again, and a choice taken again
// differently; the original's six slots are left alone; and the keys.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "app/own_saves.h"
#include "formats/byte_writer.h"
#include "formats/snapshot_file.h"
#include "menus/slot_file.h"
#include "platform/shared/deflate_compressor.h"
#include "scripted_games.h"
#include "support/assembly.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;

// The state as a save keeps it: the process's tick count, the backlog (the
// pages read stay read) and the media player left out (these games play no
// music of their own; the start-up probe's sound plays on in real time,
// apart from the game, when one game loads twice).
std::string Kept(const std::string& json) {
  static const std::regex ticks("\"ticks\":[0-9]+,");
  static const std::regex log("\"backlog\":\\{[^}]*\\}");
  static const std::regex media("\"media\":\\{[^}]*\\}");
  return std::regex_replace(
      std::regex_replace(std::regex_replace(json, ticks, ""), log, ""), media, "");
}

// A page wait, a timed wait, then a hit map and a click wait.
std::vector<uint8_t> Scenes() {
  return Code()
      .b(21).b(1).s("AB\x05" "CD").b(22)  // TEXT with a page wait, CLICK
      .b(107).b(30)                        // WAIT 30
      .b(48).w(9).s("MAP").b(0).b(0)       // HITMAP work[9]
      .b(22)
      .bytes;
}

void PutMap(GameRig& g) {
  Bitmap map(640, 480, kBlack);
  FillRect(map, {100, 100, 200, 200}, 0xFF0000);
  g.files.Put(std::string(kDat) + "CG/MAP.BMP", BmpBytes(map));
}

// The same input at each tick after the save: a click every 5 ticks.
std::vector<std::string> Following(GameRig& g, int ticks) {
  std::vector<std::string> states;
  for (int t = 1; t <= ticks; ++t) {
    g.Run(At(150, 150) + (t % 5 == 0 ? "click left\n" : "") + "tick\n");
    states.push_back(Kept(g.game->StateJson()));
  }
  return states;
}

TEST(SaveAnywhere, ASaveAtAPageATimedWaitAndAHitMapGoesOnAsTheGameDid) {
  struct Case { const char* until; bool page; };
  for (Case c : {Case{"TypeText", true}, Case{"WaitTicks", false}, Case{"HitMapPress", false}}) {
    SCOPED_TRACE(c.until);
    GameRig g(Scenes());
    PutMap(g);
    g.Start();
    for (int i = 0; i < 400 && (scenario::WaitHandlerName(g.in().scn.MainProc) !=
                                    std::string(c.until) ||
                                g.in().msgwin.PageWait != c.page);
         ++i)
      g.Run(At(150, 150) + (i % 9 == 8 ? "click left\n" : "") + "tick\n");
    ASSERT_EQ(scenario::WaitHandlerName(g.in().scn.MainProc), std::string(c.until));
    g.Run("save 4\n");
    const std::vector<std::string> recorded = Following(g, 60);
    g.Run("load 4\n");
    EXPECT_EQ(Following(g, 60), recorded);
    EXPECT_EQ(g.game->Notices().back(), "Loaded slot 4");
  }
}

TEST(SaveAnywhere, OurSavesLieBesideTheOriginalSlotsAndDamageIsRefused) {
  GameRig g(Scenes());
  PutMap(g);
  AtFirstClick(g);
  g.Run("tick 20\nsave 1\nsave quick\n");
  const std::string slot = g.form().OwnSavePath(1);
  EXPECT_NE(slot.find("velmor-save-01.sav"), std::string::npos);
  EXPECT_TRUE(g.files.Exists(g.form().OwnSavePath(app::kQuickSlot)));
  for (int n : {0, 1, 2, 3, 4, 5, 6, 255})  // the original's files: none written
    EXPECT_FALSE(g.files.Exists(g.form().view().SlotPath +
                                std::string(menus::SlotFileName(n).view())));
  std::vector<uint8_t> bytes = *g.files.ReadFile(slot, nullptr);
  const std::string state = Kept(g.game->StateJson());
  struct Damage { const char* name; std::vector<uint8_t> bytes; const char* told; };
  std::vector<uint8_t> flipped = bytes, newer = bytes, cut(bytes.begin(), bytes.end() - 9);
  flipped[bytes.size() / 2] ^= 0x40;
  newer[8] = 9;
  for (const Damage& d : {Damage{"flipped", flipped, "check sum does not match"},
                          Damage{"newer", newer, "newer version"},
                          Damage{"cut", cut, "damaged save file"},
                          Damage{"foreign", {'D', 'A', 'T', 'A'}, "not a Velmor save"}}) {
    SCOPED_TRACE(d.name);
    g.files.Put(slot, d.bytes);
    g.Run("load 1\n");
    EXPECT_NE(g.game->Notices().back().find(d.told), std::string::npos)
        << g.game->Notices().back();
    EXPECT_EQ(Kept(g.game->StateJson()), state);  // the game goes on as it was
  }
  g.Run("load 2\n");
  EXPECT_EQ(g.game->Notices().back(), "Cannot load slot 2: slot is empty");
}

// A picture wider than a save keeps (a hit map 4,100 pixels wide): the save
// is refused with the reason, as loading it would be, and the slot keeps
// the save it held.
TEST(SaveAnywhere, ASaveThatCouldNotBeLoadedIsNotWritten) {
  GameRig g(Scenes());
  g.files.Put(std::string(kDat) + "CG/MAP.BMP", BmpBytes(Bitmap(4100, 8, kBlack)));
  AtFirstClick(g);
  g.Run("tick 20\nsave 1\n");
  const std::vector<uint8_t> held = *g.files.ReadFile(g.form().OwnSavePath(1), nullptr);
  g.Run("click left\ntick 5\nclick left\nuntil HitMapPress 400\nsave 1\n");
  ASSERT_EQ(scenario::WaitHandlerName(g.in().scn.MainProc), std::string("HitMapPress"));
  EXPECT_EQ(g.game->Notices().back(), "Cannot save now: picture larger than 4096 pixels");
  EXPECT_EQ(*g.files.ReadFile(g.form().OwnSavePath(1), nullptr), held);
  g.Run("load 1\n");
  EXPECT_EQ(g.game->Notices().back(), "Loaded slot 1");
}

// A file that is whole (its check sum matches) but whose state does not
// read: cut anywhere, with a byte past its end, or saved by a game whose
// screen has another size (read to its end, then refused). The game goes on
// as it was, its screen and message included. The save itself loads, its
// state packed as the game keeps it, or as it is, as the format before
// packing wrote it.
TEST(SaveAnywhere, AWholeFileWhoseStateDoesNotReadLeavesTheGameAsItWas) {
  GameRig g(Scenes());
  PutMap(g);
  AtFirstClick(g);
  g.Run("tick 20\nsave 1\n");
  const std::string at_save = Kept(g.game->StateJson());
  const std::string slot = g.form().OwnSavePath(1);
  const std::vector<uint8_t> packed = *g.files.ReadFile(slot, nullptr);
  formats::FormatResult<formats::SaveFile> saved =
      formats::DecodeSaveFile(packed, platform::Deflate());
  ASSERT_TRUE(saved);
  const std::vector<uint8_t> old = [&] {  // version 2, before states were packed
    std::vector<uint8_t> file = formats::EncodeSaveFile(saved->header, saved->snapshot, nullptr);
    file[8] = 2;
    file.resize(file.size() - 4);
    formats::PutLe32(file, formats::Crc32(file));
    return file;
  }();
  EXPECT_EQ(packed[10], formats::kSavePacked);
  EXPECT_LT(packed.size(), old.size());
  // Another place in the game, so that a half-read state would show.
  g.Run("click left\nuntil WaitTicks 400\ntick 3\n");
  const std::string state = Kept(g.game->StateJson());
  const std::vector<uint8_t>& whole = saved->snapshot.bytes;
  std::vector<std::vector<uint8_t>> damaged;
  for (std::size_t part = 1; part < 16; ++part)
    damaged.emplace_back(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() * part / 16));
  damaged.push_back(whole);
  damaged.back().push_back(0);
  GameRig other(Scenes());
  other.files.Put(std::string(kDat) + "CG/KURO.BMP", BmpBytes(Bitmap(320, 240, kBlack), 8));
  AtFirstClick(other);
  other.Run("tick 20\nsave 1\n");
  const std::vector<uint8_t> other_file =
      *other.files.ReadFile(other.form().OwnSavePath(1), nullptr);
  damaged.push_back(formats::DecodeSaveFile(other_file, platform::Deflate())->snapshot.bytes);
  for (const std::vector<uint8_t>& bytes : damaged) {
    SCOPED_TRACE(bytes.size());
    formats::Snapshot snapshot;
    snapshot.bytes = bytes;
    g.files.Put(slot, formats::EncodeSaveFile(saved->header, snapshot, &platform::Deflate()));
    g.Run("load 1\n");
    EXPECT_EQ(g.game->Notices().back().rfind("Cannot load slot 1: ", 0), 0u) << g.game->Notices().back();
    EXPECT_EQ(Kept(g.game->StateJson()), state);
  }
  for (const std::vector<uint8_t>* file : {&packed, &old}) {
    g.Run("click left\nuntil WaitTicks 400\ntick 3\n");  // away from the save
    ASSERT_NE(Kept(g.game->StateJson()), at_save);
    g.files.Put(slot, *file);
    g.Run("load 1\n");
    EXPECT_EQ(g.game->Notices().back(), "Loaded slot 1");
    EXPECT_EQ(Kept(g.game->StateJson()), at_save);
  }
}

// INIT: three pages, each with a click wait, then a choice of two that sets work[7].
std::vector<uint8_t> Pages() {
  Code c;
  for (const char* text : {"AAAA", "BBBB", "CCCC"}) c.b(21).b(1).s(text).b(22);
  return c.b(23).w(7).s("X").s("Y").b(0).b(22).bytes;
}

TEST(GoingBack, StepsBackToEachPageAsItWasAndForwardAgain) {
  GameRig g(Pages());
  g.Start();
  std::vector<std::string> at_wait;
  for (int page = 0; page < 3; ++page) {
    g.Run("until WaitClick 200\ntick\n");
    at_wait.push_back(Kept(g.game->StateJson()));
    g.Run("click left\ntick\n");
  }
  g.Run("until ChoiceProc 200\ntick 3\n");
  EXPECT_EQ(g.form().history().size(), 4u);
  g.Run("key left\n");
  EXPECT_EQ(Kept(g.game->StateJson()), at_wait[2]);
  g.Run("key backspace\n");
  EXPECT_EQ(Kept(g.game->StateJson()), at_wait[1]);
  g.Run("tick 10\nkey right\n");  // a step stays a step while the game stands there
  EXPECT_EQ(Kept(g.game->StateJson()), at_wait[2]);
  g.Run("back\nback\nback\n");
  EXPECT_EQ(Kept(g.game->StateJson()), at_wait[0]);
  EXPECT_EQ(g.game->Notices().back(), "Nothing to go back to");
}

// A game that shows a new picture at every click: bands of its own colours
// and a block of noise of its own, 640 x 480, as different from each other
// as scenes are.
std::vector<uint8_t> NewPictureAtEachClick(GameRig* g, int clicks) {
  std::string source;
  for (int i = 0; i < clicks; ++i) {
    const std::string n = std::to_string(i);
    source += "    PICTURE \"P" + n + "\"\n    TEXT \"\\p" + n + "\"\n    CLICK\n";
    Bitmap picture(640, 480);
    for (int32_t y = 0; y < 480; ++y)
      FillRect(picture, {0, y, 640, y + 1},
               static_cast<Color>((y * (i + 3) * 2654435761u) >> 8) & kColorMask);
    const Bitmap noise = Pattern(64, 64, static_cast<uint32_t>(i + 1));
    for (int32_t y = 0; y < 64; ++y)
      for (int32_t x = 0; x < 64; ++x) picture.set(100 + i * 4 + x, 200 + y, noise.at(x, y));
    g->files.Put(std::string(kDat) + "CG/P" + n + ".BMP", BmpBytes(picture));
  }
  return Assembled(source + "    END\n");
}

TEST(GoingBack, AHundredNewPicturesAreKeptAndEachComesBackAsItWas) {
  constexpr int kClicks = 106;
  GameRig g(Pages(), {640, 480});
  g.files.Put(std::string(kDat) + "SNX/INIT.SNX", NewPictureAtEachClick(&g, kClicks));
  g.Start();
  std::vector<std::string> at_wait;
  for (int page = 0; page < kClicks; ++page) {
    g.Run("until WaitClick 200\ntick\n");
    at_wait.push_back(Kept(g.game->StateJson()));
    if (page + 1 < kClicks) g.Run("click left\ntick\n");
  }
  const app::History& history = g.form().history();
  ASSERT_EQ(history.size(), static_cast<std::size_t>(kClicks));
  EXPECT_LE(history.MemoryBytes(), app::History::kMaxBytes);
  for (int page = kClicks - 2; page >= 0; --page) {
    g.Run("back\n");
    ASSERT_EQ(Kept(g.game->StateJson()), at_wait[static_cast<std::size_t>(page)]) << page;
  }
  for (int page = 1; page < kClicks; page += 15) {
    for (int k = 0; k < 15 && history.position() < history.size(); ++k) g.Run("forward\n");
    EXPECT_EQ(Kept(g.game->StateJson()), at_wait[history.position() - 1]);
  }
}

TEST(GoingBack, AChoiceCanBeTakenDifferentlyAfterGoingBack) {
  GameRig g(Pages());
  g.Start();
  g.Run("until ChoiceProc 400\n");
  for (int i = 0; i < 3 && g.in().scn.MainProc != WaitHandler::ChoiceProc; ++i)
    g.Run("click left\ntick\nuntil ChoiceProc 200\n");
  ASSERT_EQ(g.in().scn.MainProc, WaitHandler::ChoiceProc);
  g.Run("tick\nkey 1\ntick 2\n");
  EXPECT_EQ(g.in().scn.work[7], 1);
  g.Run("back\n");  // to the choice
  EXPECT_EQ(g.in().scn.MainProc, WaitHandler::ChoiceProc);
  EXPECT_EQ(g.in().scn.work[7], 0);
  g.Run("key 2\ntick 2\n");
  EXPECT_EQ(g.in().scn.work[7], 2);
  g.Run("forward\n");  // the game went on: the other answer's future is gone
  EXPECT_EQ(g.game->Notices().back(), "Nothing to go forward to");
}

TEST(GoingBack, TheWheelGoesBackOnlyWhenThePlayerChoseIt) {
  GameRig g(Pages());
  g.Start();
  g.Run("until WaitClick 200\ntick\nclick left\ntick\nuntil WaitClick 200\ntick\n");
  g.Run("wheel up\n");
  EXPECT_TRUE(g.in().backlog_window.open());
  g.Run("key escape\n");
  app::ReaderSettings s = g.form().reader_settings();
  s.wheel_goes_back = true;
  g.form().ApplyReaderSettings(s);
  g.Run("wheel up\n");
  EXPECT_FALSE(g.in().backlog_window.open());
  EXPECT_EQ(g.form().history().position(), 1u);
}

TEST(SaveScreen, F2SavesIntoTheChosenSlotAndF3LoadsIt) {
  GameRig g(Pages());
  g.Start();
  g.Run("until WaitClick 200\ntick\nkey f2\nkey right\nkey right\nkey enter\nkey escape\n");
  EXPECT_TRUE(g.files.Exists(g.form().OwnSavePath(3)));
  EXPECT_FALSE(g.form().save_screen_view().open());
  const std::string state = Kept(g.game->StateJson());
  g.Run("click left\ntick 40\nkey f3\nkey enter\n");  // the slot chosen stays chosen
  EXPECT_EQ(Kept(g.game->StateJson()), state);
  EXPECT_EQ(g.game->Notices().back(), "Loaded slot 3");
}

}  // namespace
}  // namespace velmor::testing
