#include "app/catalogues.h"

#include "formats/mo_catalogue.h"

namespace velmor::app {

namespace {

std::string WithSlash(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

}  // namespace

bool ReadCatalogue(platform::Files& files, const std::vector<std::string>& folders,
                   const char* name, Catalogue* into, std::string* problem, bool* missing) {
  std::string looked_in;
  *missing = false;
  for (const std::string& folder : folders) {
    const std::string path = WithSlash(folder) + name;
    if (!files.Exists(path)) {
      looked_in += (looked_in.empty() ? "" : ", ") + WithSlash(folder);
      continue;
    }
    std::string error;
    uint64_t size = 0;
    std::optional<std::vector<uint8_t>> bytes =
        files.ReadFilePart(path, kMostCatalogueBytes, false, &size, &error);
    if (!bytes) {
      *problem = Fill(Tr("%s cannot be read (%s)"), {path, error});
      return false;
    }
    if (size > bytes->size()) {
      *problem = Fill(Tr("%s is far too large for a message catalogue"),
                      {path});
      return false;
    }
    formats::FormatResult<Catalogue> read = formats::ReadMoCatalogue(*bytes);
    if (!read) {
      *problem = Fill(Tr("%s: %s"), {path, read.fault().what});
      return false;
    }
    *into = std::move(*read);
    return true;
  }
  *missing = true;
  *problem = Fill(Tr("no message catalogue %s (looked in %s)"),
                  {name, looked_in.empty() ? "-" : looked_in});
  return false;
}

std::vector<std::string> LoadCatalogues(platform::Files& files, const std::vector<std::string>& folders,
                                        Language system) {
  Texts& texts = CurrentTexts();
  texts.system_language = system;
  texts.language = system;
  std::vector<std::string> problems;
  std::string problem;
  bool missing = false;
  texts.japanese = Catalogue();
  if (!ReadCatalogue(files, folders, kJapaneseCatalogue, &texts.japanese, &problem, &missing) &&
      (!missing || system == Language::Japanese))
    problems.push_back(Fill(Tr("%s; Velmor's texts stay in English"), {problem}));
  texts.game_english = Catalogue();
  if (!ReadCatalogue(files, folders, kGameEnglishCatalogue, &texts.game_english, &problem, &missing) &&
      !missing)
    problems.push_back(Fill(Tr("%s; the game's texts stay in Japanese"), {problem}));
  return problems;
}

}  // namespace velmor::app
