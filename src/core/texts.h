// Velmor's own words in the player's language, and the game's words shown
// translated when the reader asks for it.
//
// Velmor's texts are written in English in the code and marked where they
// stand: Tr("...") gives the text in the player's language, TrMark("...")
// only marks a text kept in a table (translated with Tr where it is shown).
// The game's own texts (its panels' labels, its message boxes) are written
// in Japanese and marked GameText("..."); TrGame gives them in English when
// the reader turned "show the game's panels translated" on, and as they are
// otherwise. scripts/update-po extracts both kinds of mark into the
// catalogues' templates (po/velmor.pot, po/game/velmor-game.pot).
//
// The catalogues are installed once at start-up by the program (the front
// end reads the files through the platform) and the language can change
// while it runs (the reader's settings); like the C library's locale they
// belong to the process. Tests that change them use ScopedTexts.
#pragma once

#include <atomic>

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

namespace velmor {

// Source texts and their translations, as a .mo file holds them.
class Catalogue {
 public:
  void Add(std::string source, std::string translation) {
    entries_.insert_or_assign(std::move(source), std::move(translation));
  }
  // The translation, or null when there is none (an empty one counts as none).
  const std::string* Find(std::string_view source) const {
    auto it = entries_.find(source);
    return it == entries_.end() || it->second.empty() ? nullptr : &it->second;
  }
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

 private:
  std::map<std::string, std::string, std::less<>> entries_;
};

enum class Language { English, Japanese };

// The reader's choice of language: the system's, or one of the two.
enum class LanguageChoice { System, English, Japanese };

// "system", "en", "ja" (as the settings file writes it) and back; nothing
// read from an unknown name.
const char* LanguageChoiceName(LanguageChoice choice);
bool LanguageChoiceFrom(std::string_view name, LanguageChoice* choice);

// The language of a locale name as the system or the browser gives it
// ("ja_JP.UTF-8", "ja-JP", "en_GB", "C"): Japanese for "ja…", English for
// anything else, an empty or missing one included.
Language LanguageOfLocale(std::string_view locale);

// The messages' locale from the variables the system's message catalogues
// read: LC_ALL, LC_MESSAGES, LANG (the first set); in any locale but "C" or
// "POSIX", LANGUAGE's first entry ("ja:en") comes before it. Null counts as
// unset.
Language LanguageFromEnvironment(const char* language, const char* lc_all,
                                 const char* lc_messages, const char* lang);

// What the texts are shown in: the reader's choice, else the system's.
Language ChosenLanguage(LanguageChoice choice, Language system);

// A language one thread may set while another reads it (the sound
// threads' lines are told while the reader's settings change it).
class SharedLanguage {
 public:
  SharedLanguage(Language language = Language::English) : v_(language) {}  // NOLINT: a value
  SharedLanguage(const SharedLanguage& other) : v_(Language(other)) {}
  SharedLanguage& operator=(const SharedLanguage& other) { return *this = Language(other); }
  SharedLanguage& operator=(Language language) {
    v_.store(language, std::memory_order_relaxed);
    return *this;
  }
  operator Language() const { return v_.load(std::memory_order_relaxed); }  // NOLINT

 private:
  std::atomic<Language> v_;
};

// The catalogues and the choices in force.
struct Texts {
  SharedLanguage language = Language::English;  // Velmor's texts are shown in this
  Language system_language = Language::English;  // the locale's, the reader's default
  bool game_translated = false;           // the game's texts in English
  Catalogue japanese;                     // Velmor's texts in Japanese
  Catalogue game_english;                 // the game's texts in English
};

// The process's texts; the program fills it at start-up.
Texts& CurrentTexts();

// Velmor's text in the player's language (the source itself when the
// catalogue has no translation). The pointer lives as long as the
// catalogue, or the source.
const char* Tr(const char* source);
// Marks a text for the catalogues without translating it.
constexpr const char* TrMark(const char* source) { return source; }

// The game's text (UTF-8) as the reader has asked to see it.
std::string TrGame(std::string_view japanese);
// Marks one of the game's texts (Japanese, UTF-8) for the game's catalogue.
constexpr const char* GameText(const char* japanese) { return japanese; }

// One of the game's sentences made at run time from its values: the
// sentence marked GameText, in English when the reader asked for the game
// translated (the values where the English puts them), with its "%s" filled
// by `values`. Shift-JIS in and out, as the engine keeps its texts; with
// the translation off, the bytes the game always made. ('%' is never part
// of a two-byte Shift-JIS character, so the bytes can be filled as they are.)
std::string GameSentence(std::string_view japanese, std::initializer_list<std::string_view> values);

// `format` with each "%s" replaced by the next of `values` in turn, and
// each "%N$s" (N 1 to 9) by the Nth, so that a translation may put them in
// its own order ("%%" is a "%"); a placeholder with no value stays as it is.
std::string Fill(std::string_view format, std::initializer_list<std::string_view> values);

// Puts the texts back as they were when it goes.
class ScopedTexts {
 public:
  ScopedTexts() : saved_(CurrentTexts()) {}
  ~ScopedTexts() { CurrentTexts() = std::move(saved_); }
  ScopedTexts(const ScopedTexts&) = delete;
  ScopedTexts& operator=(const ScopedTexts&) = delete;

 private:
  Texts saved_;
};

}  // namespace velmor
