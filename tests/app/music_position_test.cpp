// The music's place in its piece through saves of our own and going back: a
// loaded save sounds where it was saved, in a game of its own whatever that
// game plays; a save of the first format starts the piece from its start; a
// place past the piece's end starts it from its start; a step back within
// one piece lets it go on, a step back to another piece starts that one
// where the step had it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "formats/byte_writer.h"
#include "formats/snapshot_file.h"
#include "platform/shared/deflate_compressor.h"
#include "scripted_games.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;

// Ten seconds of M01 under two pages, then M02 under a third.
std::vector<uint8_t> TwoPieces() {
  return Assembled(
      "MUSIC \"M01\"\nTEXT \"AAAA\"\nCLICK\nTEXT \"BBBB\"\nCLICK\n"
      "MUSIC \"M02\"\nTEXT \"CCCC\"\nCLICK\nEND\n");
}

void PutPieces(GameRig& g) {
  g.files.Put(std::string(kDat) + "SOUND/M01.WAV", TinyWave(10000));
  g.files.Put(std::string(kDat) + "SOUND/M02.WAV", TinyWave(10000));
}

// Started, at the first page's click wait.
void AtFirstPage(GameRig& g) {
  PutPieces(g);
  g.Start();
  g.Run("until WaitClick 200\n");
  ASSERT_EQ(g.in().scn.MainProc, WaitHandler::WaitClick);
}

// A click and on to the next page's click wait.
void NextPage(GameRig& g) { g.Run("click left\ntick\nuntil WaitClick 200\n"); }

std::string Music(GameRig& g) {
  const platform::HeadlessMediaPlayer& m = g.game->media();
  return m.OpenedFile().substr(m.OpenedFile().rfind('/') + 1) + " " +
         std::string(m.ModeName()) + " at " + std::to_string(m.PositionMs());
}

// A save file made into another: the music's place set to `position`, or,
// without one, written as the first format wrote it (no place, version 1,
// the state not packed).
std::vector<uint8_t> Rewritten(const std::vector<uint8_t>& file,
                               std::optional<uint32_t> position) {
  formats::FormatResult<formats::SaveFile> save = formats::DecodeSaveFile(file, platform::Deflate());
  EXPECT_TRUE(save) << save.fault().what;
  if (!save) return {};
  std::vector<uint8_t>& state = save->snapshot.bytes;
  const std::size_t place_at = state.size() - 4;  // the snapshot's last field
  if (position) {
    formats::SetLe32(state, place_at, *position);
    return formats::EncodeSaveFile(save->header, save->snapshot, &platform::Deflate());
  }
  state.resize(place_at);
  std::vector<uint8_t> old = formats::EncodeSaveFile(save->header, save->snapshot, nullptr);
  old[8] = 1;  // the version, 16 bits
  old[9] = 0;
  old.resize(old.size() - 4);
  formats::PutLe32(old, formats::Crc32(old));
  return old;
}

TEST(MusicPosition, ALoadedSaveSoundsWhereItWasSavedInAGameOfItsOwn) {
  GameRig a(TwoPieces());
  AtFirstPage(a);
  a.Run("tick 150\nsave 1\n");
  const std::string saved = Music(a);
  EXPECT_EQ(saved, "M01.WAV playing at " + std::to_string(a.game->media().PositionMs()));
  EXPECT_GT(a.game->media().PositionMs(), 2000u);
  const std::vector<uint8_t> file = *a.files.ReadFile(a.form().OwnSavePath(1), nullptr);
  // Fresh games: one with the same piece playing from nearer its start,
  // one at the other piece, one at the other piece after it ended.
  for (int pages : {0, 2}) {
    for (int later : {0, 600}) {
      SCOPED_TRACE(::testing::Message() << pages << " pages on, " << later << " ticks later");
      GameRig b(TwoPieces());
      AtFirstPage(b);
      for (int p = 0; p < pages; ++p) NextPage(b);
      b.Run("tick " + std::to_string(later) + "\n");
      b.files.Put(b.form().OwnSavePath(1), file);
      b.Run("load 1\n");
      EXPECT_EQ(b.game->Notices().back(), "Loaded slot 1");
      EXPECT_EQ(Music(b), saved);
      // Both go on alike, the piece's end and its repeat too.
      for (int t = 0; t < 500; t += 50) {
        a.Run("tick 50\n");
        b.Run("tick 50\n");
        ASSERT_EQ(Music(b), Music(a)) << t;
      }
      a.Run("load 1\n");  // back to the save for the next game
    }
  }
}

TEST(MusicPosition, AFirstFormatSaveOrAPlacePastTheEndStartsThePieceFromItsStart) {
  GameRig a(TwoPieces());
  AtFirstPage(a);
  a.Run("tick 150\nsave 1\n");
  const std::vector<uint8_t> file = *a.files.ReadFile(a.form().OwnSavePath(1), nullptr);
  struct Case { const char* name; std::optional<uint32_t> position; };
  for (Case c : {Case{"first format", std::nullopt}, Case{"past the end", 10000},
                 Case{"far past the end", 0xFFFFFFF0}}) {
    SCOPED_TRACE(c.name);
    GameRig b(TwoPieces());
    AtFirstPage(b);
    NextPage(b);
    NextPage(b);  // M02 plays
    b.files.Put(b.form().OwnSavePath(2), Rewritten(file, c.position));
    b.Run("load 2\n");
    EXPECT_EQ(b.game->Notices().back(), "Loaded slot 2");
    EXPECT_EQ(Music(b), "M01.WAV playing at 0");
    EXPECT_EQ(b.in().msgwin.MsgText, a.in().msgwin.MsgText);  // the rest as saved
  }
  // Written back as it was, the place is kept.
  GameRig b(TwoPieces());
  AtFirstPage(b);
  b.files.Put(b.form().OwnSavePath(3), Rewritten(file, 1234));
  b.Run("load 3\n");
  EXPECT_EQ(Music(b), "M01.WAV playing at 1234");
}

TEST(MusicPosition, GoingBackWithinAPieceLetsItGoOnAndToAnotherStartsItWhereTheStepHadIt) {
  GameRig g(TwoPieces());
  AtFirstPage(g);
  g.Run("tick 20\n");  // the step was kept 20 ticks ago
  const uint32_t first_step = g.game->media().PositionMs();
  NextPage(g);  // page two, M01 still
  g.Run("tick 30\n");
  EXPECT_EQ(g.form().history().size(), 2u);
  g.Run("back\n");  // to page one: the music goes on where it is
  EXPECT_NE(g.in().msgwin.MsgText.view().find("AAAA"), std::string_view::npos);
  EXPECT_GT(g.game->media().PositionMs(), first_step + 600);
  g.Run("forward\ntick 10\n");
  NextPage(g);  // page three: M02
  g.Run("tick 40\n");
  ASSERT_EQ(Music(g).substr(0, 7), "M02.WAV");
  g.Run("back\n");  // page two, whose step was kept as M01 stood when it was reached
  EXPECT_NE(g.in().msgwin.MsgText.view().find("BBBB"), std::string_view::npos);
  EXPECT_EQ(Music(g).substr(0, 16), "M01.WAV playing ");
  EXPECT_LT(g.game->media().PositionMs(), first_step + 1000);
  EXPECT_GT(g.game->media().PositionMs(), first_step);
}

}  // namespace
}  // namespace velmor::testing
