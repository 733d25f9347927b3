// The message catalogues found through the platform's files: the first
// folder that holds each, a missing one said only when its language is
// wanted, a damaged one always, and the texts then in their source language.
// The catalogue the build compiled holds what the code marks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/catalogues.h"
#include "app/reader_settings.h"
#include "platform/headless/memory_files.h"

namespace velmor::app {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A catalogue of one text, in msgfmt's layout (little-endian).
std::vector<uint8_t> OneText(const std::string& source, const std::string& translation) {
  std::vector<uint8_t> b(28 + 16, 0);
  auto put = [&b](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
  };
  put(0, 0x950412de), put(8, 1), put(12, 28), put(16, 36);
  put(28, static_cast<uint32_t>(source.size())), put(32, 44);
  put(36, static_cast<uint32_t>(translation.size()));
  put(40, static_cast<uint32_t>(44 + source.size() + 1));
  for (const std::string* s : {&source, &translation}) {
    b.insert(b.end(), s->begin(), s->end());
    b.push_back(0);
  }
  return b;
}

TEST(Catalogues, TheFirstFolderThatHoldsEachAndTheSystemsLanguage) {
  ScopedTexts restore;
  platform::MemoryFiles files;
  files.Put("share/velmor/locale/game-en.mo", OneText("セーブ", "Save"));
  files.Put("build/locale/ja.mo", OneText("Quit", "終了"));
  files.Put("build/locale/game-en.mo", OneText("セーブ", "not this one"));
  EXPECT_THAT(LoadCatalogues(files, {"share/velmor/locale", "build/locale/"}, Language::Japanese),
              ElementsAre());
  EXPECT_STREQ(Tr("Quit"), "終了");
  CurrentTexts().game_translated = true;
  EXPECT_EQ(TrGame("セーブ"), "Save");
  // The reader's settings choose over the system's language, both ways.
  EXPECT_EQ(CurrentTexts().system_language, Language::Japanese);
  ReaderSettings s;
  s.language = LanguageChoice::English;
  CurrentTexts().language = ChosenLanguage(s.language, CurrentTexts().system_language);
  EXPECT_STREQ(Tr("Quit"), "Quit");
}

TEST(Catalogues, MissingOrDamagedTheTextsStayInTheirSourceLanguage) {
  ScopedTexts restore;
  platform::MemoryFiles files;
  // Missing: said only when Japanese is wanted.
  EXPECT_THAT(LoadCatalogues(files, {"a", "b/"}, Language::English), ElementsAre());
  std::vector<std::string> said = LoadCatalogues(files, {"a", "b/"}, Language::Japanese);
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], "no message catalogue ja.mo (looked in a/, b/); Velmor's texts stay in English");
  EXPECT_STREQ(Tr("Quit"), "Quit");
  // Damaged: always said, with the file and what is wrong; a later folder
  // is not looked in then.
  std::vector<uint8_t> cut = OneText("Quit", "終了");
  cut.resize(40);
  files.Put("a/ja.mo", cut);
  files.Put("b/ja.mo", OneText("Quit", "終了"));
  files.Put("a/game-en.mo", std::string_view("not a catalogue at all, but long enough"));
  said = LoadCatalogues(files, {"a", "b"}, Language::English);
  ASSERT_EQ(said.size(), 2u);
  EXPECT_THAT(said[0], HasSubstr("a/ja.mo: damaged message catalogue"));
  EXPECT_THAT(said[1], HasSubstr("a/game-en.mo: not a message catalogue (.mo): wrong magic number; "
                                 "the game's texts stay in Japanese"));
  CurrentTexts().language = Language::Japanese;
  EXPECT_STREQ(Tr("Quit"), "Quit");
  // Far too large: not read whole.
  files.Put("a/ja.mo", std::vector<uint8_t>(kMostCatalogueBytes + 1, 0));
  said = LoadCatalogues(files, {"a"}, Language::Japanese);
  EXPECT_THAT(said.front(), HasSubstr("far too large"));
}

// The catalogue the build compiled from po/ja.po reads, and holds the texts
// of the first start as they were written before they were catalogued.
TEST(Catalogues, TheBuiltJapaneseCatalogue) {
  const std::filesystem::path path = std::filesystem::path(VELMOR_BUILD_DIR) / "locale" / "ja.mo";
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ScopedTexts restore;
  platform::MemoryFiles files;
  files.Put("locale/ja.mo", bytes);
  EXPECT_THAT(LoadCatalogues(files, {"locale"}, Language::Japanese), ElementsAre());
  EXPECT_GT(CurrentTexts().japanese.size(), 100u);
  EXPECT_STREQ(Tr("Use this folder"), "このフォルダーを使う");
  EXPECT_STREQ(Tr("Try '%s --help' for more information."), "詳しくは '%s --help' を実行してください。");
  // A debugger message whose values a translation reorders, and a reason
  // the corner gives for a save refused.
  EXPECT_EQ(Fill(Tr("no label %s in %s.s"), {"start", "MAIN"}), "MAIN.s にラベル start がありません");
  EXPECT_STREQ(Tr("damaged save file: its check sum does not match"),
               "壊れたセーブファイルです: チェックサムが合いません");
}

}  // namespace
}  // namespace velmor::app
