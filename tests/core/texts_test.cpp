// Velmor's texts in the player's language: the language a locale names, the
// reader's choice over the system's, the look-up with its fall-back to the
// source text, the game's texts shown translated, and filling in values.
#include <gtest/gtest.h>

#include "core/sjis.h"
#include "core/texts.h"

namespace velmor {
namespace {

TEST(Texts, TheLanguageOfALocale) {
  struct Case {
    const char* locale;
    Language is;
  } cases[] = {
      {"ja_JP.UTF-8", Language::Japanese}, {"ja", Language::Japanese},
      {"ja-JP", Language::Japanese},        {"JA-jp", Language::Japanese},
      {"ja_JP.eucJP@x", Language::Japanese}, {"jav_ID", Language::English},
      {"en_GB.UTF-8", Language::English},   {"C", Language::English},
      {"", Language::English},              {"j", Language::English},
  };
  for (const Case& c : cases) EXPECT_EQ(LanguageOfLocale(c.locale), c.is) << c.locale;
}

TEST(Texts, TheLanguageFromTheEnvironment) {
  struct Case {
    const char *language, *lc_all, *lc_messages, *lang;
    Language is;
  } cases[] = {
      {nullptr, nullptr, nullptr, nullptr, Language::English},
      {nullptr, nullptr, nullptr, "ja_JP.UTF-8", Language::Japanese},
      {nullptr, "", "", "ja_JP.UTF-8", Language::Japanese},      // empty counts as unset
      {nullptr, "en_US.UTF-8", nullptr, "ja_JP.UTF-8", Language::English},  // LC_ALL first
      {nullptr, nullptr, "ja_JP.UTF-8", "en_US.UTF-8", Language::Japanese},
      {"ja:en", nullptr, nullptr, "en_US.UTF-8", Language::Japanese},  // LANGUAGE's first entry
      {"en:ja", nullptr, nullptr, "ja_JP.UTF-8", Language::English},
      {"ja", nullptr, nullptr, "C.UTF-8", Language::English},     // the C locale wins
      {"ja", "POSIX", nullptr, nullptr, Language::English},
      {"ja", nullptr, nullptr, nullptr, Language::English},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LanguageFromEnvironment(c.language, c.lc_all, c.lc_messages, c.lang), c.is)
        << (c.language ? c.language : "-") << " " << (c.lc_all ? c.lc_all : "-") << " "
        << (c.lc_messages ? c.lc_messages : "-") << " " << (c.lang ? c.lang : "-");
}

TEST(Texts, TheReadersChoiceOverridesTheSystems) {
  EXPECT_EQ(ChosenLanguage(LanguageChoice::System, Language::Japanese), Language::Japanese);
  EXPECT_EQ(ChosenLanguage(LanguageChoice::System, Language::English), Language::English);
  EXPECT_EQ(ChosenLanguage(LanguageChoice::English, Language::Japanese), Language::English);
  EXPECT_EQ(ChosenLanguage(LanguageChoice::Japanese, Language::English), Language::Japanese);
  for (LanguageChoice c : {LanguageChoice::System, LanguageChoice::English, LanguageChoice::Japanese}) {
    LanguageChoice back = LanguageChoice::System;
    ASSERT_TRUE(LanguageChoiceFrom(LanguageChoiceName(c), &back));
    EXPECT_EQ(back, c);
  }
  LanguageChoice untouched = LanguageChoice::Japanese;
  EXPECT_FALSE(LanguageChoiceFrom("fr", &untouched));
  EXPECT_FALSE(LanguageChoiceFrom("", &untouched));
  EXPECT_EQ(untouched, LanguageChoice::Japanese);
}

TEST(Texts, LookUpFallsBackToTheSource) {
  ScopedTexts restore;
  Texts& texts = CurrentTexts();
  texts = Texts{};
  texts.japanese.Add("Quit", "終了");
  const char* untranslated = "Nothing like this is in the catalogue";
  EXPECT_STREQ(Tr("Quit"), "Quit");  // English: the source, whatever the catalogue holds
  texts.language = Language::Japanese;
  EXPECT_STREQ(Tr("Quit"), "終了");
  EXPECT_EQ(Tr(untranslated), untranslated);  // the very source text
  EXPECT_EQ(Tr(TrMark("Quit")), std::string("終了"));
  texts.japanese = Catalogue{};  // a catalogue that could not be read
  EXPECT_STREQ(Tr("Quit"), "Quit");
}

TEST(Texts, TheGamesTextsAreTranslatedOnlyWhenAsked) {
  ScopedTexts restore;
  Texts& texts = CurrentTexts();
  texts = Texts{};
  texts.game_english.Add("セーブ", "Save");
  EXPECT_EQ(TrGame(GameText("セーブ")), "セーブ");
  texts.game_translated = true;
  EXPECT_EQ(TrGame("セーブ"), "Save");
  EXPECT_EQ(TrGame("ロード"), "ロード");  // none: as the game has it
  // Velmor's own language does not change the game's texts.
  texts.language = Language::Japanese;
  EXPECT_EQ(TrGame("セーブ"), "Save");
}

TEST(Texts, ScopedTextsPutsThemBack) {
  CurrentTexts().japanese.Add("Up", "上へ");
  {
    ScopedTexts restore;
    CurrentTexts() = Texts{};
    EXPECT_TRUE(CurrentTexts().japanese.empty());
  }
  EXPECT_NE(CurrentTexts().japanese.Find("Up"), nullptr);
  CurrentTexts() = Texts{};
}

TEST(Texts, FillPutsTheValuesInTurn) {
  EXPECT_EQ(Fill("%s: %s", {"velmor", "no such folder"}), "velmor: no such folder");
  EXPECT_EQ(Fill("%s は %s に", {"A", "B"}), "A は B に");
  EXPECT_EQ(Fill("100%% of %s", {"it"}), "100% of it");
  EXPECT_EQ(Fill("%s and %s", {"one"}), "one and %s");  // nothing left: kept
  EXPECT_EQ(Fill("%s", {"%s%%"}), "%s%%");              // a value is never read again
  EXPECT_EQ(Fill("ends in %", {}), "ends in %");
  EXPECT_EQ(Fill("%d stays", {"x"}), "%d stays");
  // By number, as a translation may order them; a number past the values stays.
  EXPECT_EQ(Fill("%2$s, %1$s", {"a", "b"}), "b, a");
  EXPECT_EQ(Fill("%1$s%1$s %3$s", {"a", "b"}), "aa %3$s");
  EXPECT_EQ(Fill("%0$s %2$", {"a", "b"}), "%0$s %2$");
}

}  // namespace
}  // namespace velmor

namespace velmor {
namespace {

// The game's sentences made from pieces: the bytes it always made when the
// translation is off (or has no such sentence), whole English sentences when
// on; Shift-JIS values go in untouched (a '%' never sits inside a character).
TEST(Texts, TheGamesSentencesFromPieces) {
  ScopedTexts restore;
  const std::string slot = "DATA03", why = Sjis("書けない").str();
  const std::string japanese = GameSentence("%s に書き込めなかったよ。\n%s", {slot, why});
  EXPECT_EQ(japanese, slot + Sjis(" に書き込めなかったよ。").str() + "\n" + why);
  CurrentTexts().game_translated = true;
  EXPECT_EQ(GameSentence("%s に書き込めなかったよ。\n%s", {slot, why}), japanese);  // no translation
  CurrentTexts().game_english.Add("%s に書き込めなかったよ。\n%s", "Could not write %s.\n%s");
  EXPECT_EQ(GameSentence("%s に書き込めなかったよ。\n%s", {slot, why}),
            "Could not write DATA03.\n" + why);
  // A value whose Shift-JIS bytes hold 0x25 ('%') or the "%s" of the format
  // itself is put in as it is.
  CurrentTexts().game_english.Add("範囲外のワーク変数指定 (%s)", "Out of range (%s)");
  EXPECT_EQ(GameSentence("範囲外のワーク変数指定 (%s)", {"%s%%"}), "Out of range (%s%%)");
  CurrentTexts().game_translated = false;
  EXPECT_EQ(GameSentence("範囲外のワーク変数指定 (%s)", {"9"}), Sjis("範囲外のワーク変数指定 (9)").str());
}

}  // namespace
}  // namespace velmor
