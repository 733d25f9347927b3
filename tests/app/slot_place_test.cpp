// Where the slots and the read text are kept, and the once-only offer of the
// slots an installed program used to keep beside itself.
#include "app/slot_place.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/catalogues.h"
#include "core/sjis.h"
#include "core/texts.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/memory_files.h"
#include "support/game_data.h"
#include "support/recording_host.h"

namespace velmor::app {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr const char* kUser = "/home/p/.local/share/velmor/";

TEST(SlotPlace, PortableCopyBesideItselfInstalledProgramInTheUsersFolder) {
  struct Row {
    const char* program;
    bool writable;
    bool marker;
    const char* slots_option;
    const char* user;
    const char* expected;
    bool installed_data = false;  // share/velmor/ where an install puts it
  };
  const Row rows[] = {
      {"/usr/games/", true, false, "", kUser, kUser},     // installed, run as root
      {"/usr/games/", false, false, "", kUser, kUser},    // installed
      {"/usr/local/games/", true, false, "", kUser, kUser},
      {"/usr/games/", true, false, "/srv/saves", kUser, "/srv/saves/"},  // --slots
      {"/home/p/velmor/", true, false, "", kUser, "/home/p/velmor/"},    // unpacked
      {"/home/p/velmor/", false, false, "", kUser, kUser},  // on a read-only disc
      {"/opt/velmor/", true, true, "", kUser, "/opt/velmor/"},  // unpacked, marked
      {"/opt/velmor/", true, false, "", kUser, kUser},
      {"/opt/velmor/", false, true, "", kUser, kUser},  // marked but not writable
      {"/usr2/velmor/", true, false, "", kUser, "/usr2/velmor/"},  // not /usr
      {"/usr/games/", true, false, "", "", "/usr/games/"},  // no user folder at all
      // `cmake --install --prefix ~/.local`, and the same archive marked.
      {"/home/p/.local/games/", true, false, "", kUser, kUser, true},
      {"/home/p/velmor/games/", true, true, "", kUser, "/home/p/velmor/games/", true},
  };
  for (const Row& row : rows) {
    platform::MemoryFiles files;
    if (row.marker) files.Put(std::string(row.program) + kPortableMarker, "");
    if (!row.writable) files.MakeReadOnly(row.program);
    if (row.installed_data)
      files.Put(std::string(row.program) + kInstalledDataFromProgram + "demo/SNX/INIT.SNX", "");
    EXPECT_EQ(ChooseSlotPlace(files, row.slots_option, row.program, row.user), row.expected)
        << row.program << " writable " << row.writable << " marker " << row.marker;
  }
}

TEST(SlotPlace, SystemFolders) {
  for (const char* folder : {"/usr/bin/", "/usr/games/", "/bin/", "/opt/x/", "/snap/velmor/1/",
                             "/nix/store/abc-velmor/bin/", "/app/bin/"})
    EXPECT_TRUE(IsSystemFolder(folder)) << folder;
  for (const char* folder : {"/home/p/bin/", "/usr2/", "/srv/games/", "/tmp/x/", "/optical/"})
    EXPECT_FALSE(IsSystemFolder(folder)) << folder;
}

// An installed program whose folder still holds the slots of an older
// version: DATA00, DATA1F and the read text; the user's folder already has
// a newer DATA1F.
struct OldSlots : ::testing::Test {
  platform::MemoryFiles files;
  testing::AnsweringDialogs dialogs;
  const std::string program = "/usr/games/";

  void SetUp() override {
    files.Put(program + "velmor", "program");
    files.Put(program + "DATA00", "old 0");
    files.Put(program + "DATA1F", "old 31");
    files.Put(program + "READTEXT.TXT", "read");
    files.Put(std::string(kUser) + "DATA1F", "new 31");
  }
  std::string At(const std::string& path) const {
    const std::vector<uint8_t>* bytes = files.Get(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "(none)";
  }
  void Offer() { OfferOldSlots(files, dialogs, program, kUser); }
};

TEST_F(OldSlots, CopiedOnOkWithoutOverwritingOrDeletingThenNeverAskedAgain) {
  EXPECT_THAT(OldSlotFiles(files, program), ElementsAre("DATA00", "DATA1F", "READTEXT.TXT"));
  Offer();
  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(dialogs.Boxes()[0].kind, platform::MessageKind::Confirmation);
  EXPECT_EQ(dialogs.Boxes()[0].buttons, platform::Buttons::OkCancel);
  EXPECT_THAT(SjisToUtf8(dialogs.Boxes()[0].text), HasSubstr("Copy the old ones there?"));
  const std::string user = kUser;
  EXPECT_EQ(At(user + "DATA00") + "|" + At(user + "DATA1F") + "|" + At(user + "READTEXT.TXT"),
            "old 0|new 31|read");
  EXPECT_EQ(At(program + "DATA00") + "|" + At(program + "DATA1F") + "|" +
                At(program + "READTEXT.TXT"),
            "old 0|old 31|read");
  EXPECT_EQ(At(user + kOldSlotsAnswer), "copied\n");
  Offer();
  EXPECT_EQ(dialogs.Boxes().size(), 1u);
}

TEST_F(OldSlots, DeclinedOnCancelAndRemembered) {
  dialogs.QueueAnswer(platform::Answer::Cancel);
  Offer();
  Offer();
  EXPECT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(At(std::string(kUser) + "DATA00"), "(none)");
  EXPECT_EQ(At(std::string(kUser) + kOldSlotsAnswer), "declined\n");
}

TEST_F(OldSlots, AFailedCopyIsSaidAndOfferedAgain) {
  files.MakeReadOnly(kUser);
  Offer();
  ASSERT_EQ(dialogs.Boxes().size(), 2u);
  EXPECT_EQ(dialogs.Boxes()[1].kind, platform::MessageKind::Error);
  EXPECT_FALSE(files.Has(std::string(kUser) + kOldSlotsAnswer));
  Offer();  // asked again, and the copy fails again
  ASSERT_EQ(dialogs.Boxes().size(), 4u);
  EXPECT_EQ(dialogs.Boxes()[2].kind, platform::MessageKind::Confirmation);
}

TEST_F(OldSlots, NothingToOfferNoBox) {
  for (const char* name : {"DATA00", "DATA1F", "READTEXT.TXT"}) files.Remove(program + name);
  Offer();
  OfferOldSlots(files, dialogs, kUser, kUser);  // a portable copy: the same folder
  EXPECT_TRUE(dialogs.Boxes().empty());
  EXPECT_FALSE(files.Has(std::string(kUser) + kOldSlotsAnswer));
}

// In Japanese (the catalogue the build compiled), the boxes say what they
// always said, to the byte.
TEST_F(OldSlots, InJapaneseTheBoxesAreTheOnesTheyWere) {
  std::ifstream in(std::filesystem::path(VELMOR_BUILD_DIR) / "locale" / "ja.mo", std::ios::binary);
  ASSERT_TRUE(in);
  platform::MemoryFiles locale;
  locale.Put("locale/ja.mo", std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                                  std::istreambuf_iterator<char>()));
  ScopedTexts restore;
  ASSERT_THAT(LoadCatalogues(locale, {"locale"}, Language::Japanese), ElementsAre());
  files.MakeReadOnly(kUser);
  Offer();
  ASSERT_EQ(dialogs.Boxes().size(), 2u);
  EXPECT_EQ(dialogs.Boxes()[0].text,
            Sjis("プログラムのフォルダーに以前のセーブデータがあります。\n"
                 "セーブデータはこれからユーザーのデータフォルダーに保存されます。\n"
                 "以前のデータをそこへコピーしますか？（元のファイルはそのまま残ります）")
                .str());
  EXPECT_EQ(dialogs.Boxes()[1].text, Sjis("以前のセーブデータをコピーできませんでした。\n"
                                          "次の起動のときにもう一度たずねます。")
                                         .str());
  MakeSlotFolder(files, dialogs, std::string(kUser) + "saves/");
  ASSERT_EQ(dialogs.Boxes().size(), 3u);
  EXPECT_EQ(SjisToUtf8(dialogs.Boxes()[2].text).substr(0, 116),
            "セーブデータのフォルダーを作れませんでした。\nセーブと既読の記録はできません。\n");
  EXPECT_THAT(dialogs.Boxes()[2].text, HasSubstr(std::string(kUser) + "saves/\n"));
}

// The whole start-up of an installed game run as root (its folder can be
// written): the slots go to the user's folder, the old one is offered and
// copied, and the game's own writes (slot 0's settings, the read text) land
// there too, never beside the program.
TEST(SlotPlace, AnInstalledGameStartsWithItsSlotsInTheUsersFolder) {
  testing::GameRig g(testing::ClickCounter());
  main::HeadlessOptions options;
  options.start.program_folder = "/usr/games/";
  options.start.data_folder = "GAME/";
  options.start.user_data_folder = kUser;
  g.files.Put("/usr/games/DATA05", "old 5");
  g.game = std::make_unique<main::HeadlessGame>(g.files, options);
  ASSERT_FALSE(g.Start().has_value());
  EXPECT_EQ(g.in().SlotPath, kUser);
  ASSERT_EQ(g.game->dialogs().Boxes().size(), 1u);
  EXPECT_EQ(g.game->dialogs().Boxes()[0].kind, platform::MessageKind::Confirmation);
  ASSERT_TRUE(g.files.Has(std::string(kUser) + "DATA05"));
  g.Run("click left\ntick 5\n");
  for (const char* name : {"DATA00", "READTEXT.TXT", "velmor-portable"})
    EXPECT_FALSE(g.files.Has(std::string("/usr/games/") + name)) << name;
}

// --slots names a folder that is made at start, before anything is saved (the read text goes there
// too); one that cannot be made is said in an error box and the game goes on.
TEST(SlotPlace, TheSlotsOptionsFolderIsMadeAtStartOrSaidToBeUnmakeable) {
  for (bool writable : {true, false}) {
    SCOPED_TRACE(writable);
    testing::GameRig g(testing::ClickCounter());
    main::HeadlessOptions options;
    options.start.data_folder = "GAME/";
    options.start.slot_folder = "/home/p/saves/new/";
    if (!writable) g.files.MakeReadOnly("/home/p/saves/");
    g.game = std::make_unique<main::HeadlessGame>(g.files, options);
    ASSERT_FALSE(g.Start().has_value());
    EXPECT_EQ(g.files.Exists("/home/p/saves/new/"), writable);
    const auto& boxes = g.game->dialogs().Boxes();
    ASSERT_EQ(boxes.size(), writable ? 0u : 1u);
    if (!writable) {
      EXPECT_EQ(boxes[0].kind, platform::MessageKind::Error);
      EXPECT_THAT(boxes[0].text, HasSubstr("/home/p/saves/new/"));
    }
    g.Run("tick 3\nclick left\ntick 3\n");  // the game went on
    EXPECT_EQ(g.in().scn.work[1], 2);
  }
}

}  // namespace
}  // namespace velmor::app
