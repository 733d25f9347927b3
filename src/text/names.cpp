#include "text/names.h"

#include "core/sjis.h"

namespace velmor::text {

namespace {

// The cast as the story introduces them. The first four are the names the
// player may retype: given names of three full-width characters, family
// names of two.
constexpr const char* kCast[language::kNameCount] = {
    "慎之介",        // 0: the hero's given name
    "さくら",        // 1: the beloved's given name
    "岸本",          // 2: the hero's family name
    "水瀬",          // 3: the beloved's family name
    "真琴",          // 4
    "美咲",          // 5
    "亜紀",          // 6
    "着ぐるみ動物",  // 7: the costumed animal
    "お姫さま",      // 8: the princess
    "アイドル",      // 9: the idol
    "女の声",        // 10: a woman's voice
    "男",            // 11: a man
    "沙織",          // 12
    "浩二",          // 13
    "恵",            // 14
    "電話の声",      // 15: the voice on the telephone
    "店長",          // 16: the shop manager
    "テレビ",        // 17: the television
    "店員",          // 18: the shop clerk
};

}  // namespace

std::array<Sstr, language::kNameCount> InitialNames() {
  std::array<Sstr, language::kNameCount> names;
  for (int i = 0; i < language::kNameCount; ++i) names[i] = Sstr(Sjis(kCast[i]));
  return names;
}

std::array<Sstr, 4> DefaultNames() {
  std::array<Sstr, language::kNameCount> all = InitialNames();
  return {all[0], all[1], all[2], all[3]};
}

}  // namespace velmor::text
