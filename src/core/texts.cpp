#include "core/texts.h"

#include "core/sjis.h"

namespace velmor {

const char* LanguageChoiceName(LanguageChoice choice) {
  switch (choice) {
    case LanguageChoice::English: return "en";
    case LanguageChoice::Japanese: return "ja";
    case LanguageChoice::System: break;
  }
  return "system";
}

bool LanguageChoiceFrom(std::string_view name, LanguageChoice* choice) {
  for (LanguageChoice c : {LanguageChoice::System, LanguageChoice::English, LanguageChoice::Japanese})
    if (name == LanguageChoiceName(c)) {
      *choice = c;
      return true;
    }
  return false;
}

Language LanguageOfLocale(std::string_view locale) {
  const bool japanese = locale.size() >= 2 && (locale[0] == 'j' || locale[0] == 'J') &&
                        (locale[1] == 'a' || locale[1] == 'A') &&
                        (locale.size() == 2 || locale[2] == '_' || locale[2] == '-' ||
                         locale[2] == '.' || locale[2] == '@' || locale[2] == ':');
  return japanese ? Language::Japanese : Language::English;
}

Language LanguageFromEnvironment(const char* language, const char* lc_all,
                                 const char* lc_messages, const char* lang) {
  std::string_view locale;
  for (const char* value : {lc_all, lc_messages, lang})
    if (value != nullptr && *value != '\0') {
      locale = value;
      break;
    }
  // In the "C" locale a program speaks its source language whatever
  // LANGUAGE says.
  if (locale.empty() || locale == "C" || locale.starts_with("C.") || locale == "POSIX")
    return Language::English;
  if (language != nullptr && *language != '\0') locale = language;
  return LanguageOfLocale(locale.substr(0, locale.find(':')));
}

Language ChosenLanguage(LanguageChoice choice, Language system) {
  switch (choice) {
    case LanguageChoice::English: return Language::English;
    case LanguageChoice::Japanese: return Language::Japanese;
    case LanguageChoice::System: break;
  }
  return system;
}

Texts& CurrentTexts() {
  static Texts texts;
  return texts;
}

const char* Tr(const char* source) {
  const Texts& texts = CurrentTexts();
  if (texts.language != Language::Japanese) return source;
  const std::string* found = texts.japanese.Find(source);
  return found ? found->c_str() : source;
}

std::string TrGame(std::string_view japanese) {
  const Texts& texts = CurrentTexts();
  if (!texts.game_translated) return std::string(japanese);
  const std::string* found = texts.game_english.Find(japanese);
  return found ? *found : std::string(japanese);
}

std::string GameSentence(std::string_view japanese, std::initializer_list<std::string_view> values) {
  return Fill(Utf8ToSjis(TrGame(japanese)), values);
}

std::string Fill(std::string_view format, std::initializer_list<std::string_view> values) {
  std::string out;
  out.reserve(format.size());
  auto next = values.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (format[i + 1] == 's' && next != values.end()) {
        out += *next++;
        ++i;
        continue;
      }
      // "%2$s": the second value, wherever a translation wants it.
      const size_t n = static_cast<size_t>(format[i + 1] - '0');
      if (n >= 1 && n <= 9 && i + 3 < format.size() && format.substr(i + 2, 2) == "$s" &&
          n <= values.size()) {
        out += values.begin()[n - 1];
        i += 3;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

}  // namespace velmor
