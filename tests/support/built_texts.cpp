#include "support/built_texts.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/catalogues.h"
#include "core/texts.h"
#include "platform/headless/memory_files.h"

namespace velmor::testing {

bool ShowBuiltJapanese(std::string* why) {
  const std::filesystem::path path = std::filesystem::path(VELMOR_BUILD_DIR) / "locale" / "ja.mo";
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *why = "cannot read " + path.string();
    return false;
  }
  platform::MemoryFiles locale;
  locale.Put("locale/ja.mo", std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                                  std::istreambuf_iterator<char>()));
  const std::vector<std::string> said = app::LoadCatalogues(locale, {"locale"}, Language::Japanese);
  *why = said.empty() ? "" : said.front();
  return said.empty() && CurrentTexts().language == Language::Japanese;
}

}  // namespace velmor::testing
