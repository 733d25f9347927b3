#include "ui/first_start_texts.h"

#include <string>

namespace velmor::ui {

namespace {

constexpr FirstStartTexts kEnglish{
    "Velmor",
    "No game data folder is set yet.\n"
    "Choose the folder that holds the game's data (the one with the CG, SNX and SOUND\n"
    "folders), or play the demo game that comes with Velmor.",
    "The game could not start:",
    "Choose the game's data folder...",
    "Play the demo",
    "(the demo is not installed)",
    "Quit",
    "Open the folder that holds the SNX folder, then choose \"Use this folder\".",
    "Up",
    "Home",
    "Go",
    "This folder holds the game's data.",
    "No game here: this folder has no SNX/INIT.SNX.",
    "There is no such folder.",
    "Use this folder",
    "Back",
    "The folder is remembered for you in %s; --data DIR starts with another.",
};

constexpr FirstStartTexts kJapanese{
    "Velmor",
    "ゲームのデータフォルダーがまだ設定されていません。\n"
    "ゲームのデータ（CG、SNX、SOUND フォルダー）が入ったフォルダーを選ぶか、\n"
    "Velmor 付属のデモを遊んでください。",
    "ゲームを起動できませんでした：",
    "データフォルダーを選ぶ…",
    "デモを遊ぶ",
    "（デモはインストールされていません）",
    "終了",
    "SNX フォルダーが入ったフォルダーを開き、「このフォルダーを使う」を押してください。",
    "上へ",
    "ホーム",
    "移動",
    "このフォルダーにはゲームのデータがあります。",
    "ゲームがありません：SNX/INIT.SNX が見つかりません。",
    "そのようなフォルダーはありません。",
    "このフォルダーを使う",
    "戻る",
    "選んだフォルダーは %s に記録されます。--data DIR で別のフォルダーから起動できます。",
};

}  // namespace

std::string_view PlayerLanguageFrom(const char* language, const char* lc_all,
                                    const char* lc_messages, const char* lang) {
  // The messages' locale: the first of LC_ALL, LC_MESSAGES and LANG that is set.
  std::string locale;
  for (const char* value : {lc_all, lc_messages, lang}) {
    if (value != nullptr && *value != '\0') {
      locale = value;
      break;
    }
  }
  // In the "C" locale the program speaks English whatever LANGUAGE says;
  // otherwise LANGUAGE's first entry ("ja:en") comes before the locale.
  if (locale.empty() || locale == "C" || locale.rfind("C.", 0) == 0 || locale == "POSIX")
    return "en";
  if (language != nullptr && *language != '\0') locale = std::string(language);
  locale = locale.substr(0, locale.find(':'));
  return locale.rfind("ja", 0) == 0 ? "ja" : "en";
}

const FirstStartTexts& FirstStartTextsFor(std::string_view language) {
  return language == "ja" ? kJapanese : kEnglish;
}

}  // namespace velmor::ui
