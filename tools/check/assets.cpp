#include "check/assets.h"

#include "core/game_path.h"
#include "formats/bmp.h"
#include "platform/files.h"
#include "formats/media_file.h"
#include "platform/media_player.h"
#include "language/language.h"

namespace velmor::check {

std::string Assets::Shown(std::string_view name) { return GamePath("", name); }

std::string Assets::Path(std::string_view name) const {
  return GamePath(data_folder_, name);
}

std::string Assets::Unreadable(std::string_view name, const std::string& error) {
  if (!files_.Exists(Path(name))) return Shown(name) + " is missing";
  return Shown(name) + " cannot be read: " + error;
}

std::optional<std::string> Assets::PictureFault(std::string_view name) {
  if (auto it = checked_.find(name); it != checked_.end()) return it->second;
  std::optional<std::string> fault;
  std::string error;
  if (auto bytes = files_.ReadFile(Path(name), &error)) {
    if (auto bmp = formats::DecodeBmp(*bytes); !bmp)
      fault = Shown(name) + " is refused: " + bmp.fault().what;
  } else {
    fault = Unreadable(name, error);
  }
  checked_.emplace(std::string(name), fault);
  return fault;
}

std::optional<std::string> Assets::SoundFault(std::string_view name) {
  if (auto it = checked_.find(name); it != checked_.end()) return it->second;
  std::optional<std::string> fault;
  std::string error;
  int code = 0;
  const std::string path = Path(name);
  if (!platform::ReadMediaFile(files_, path, &error, &code)) {
    if (code == platform::media_error::kRefused) {
      // The reason without the path in front, which the report names anyway.
      if (error.rfind(path + ": ", 0) == 0) error.erase(0, path.size() + 2);
      fault = Shown(name) + " is refused: " + error;
    } else {
      fault = Unreadable(name, error);
    }
  }
  checked_.emplace(std::string(name), fault);
  return fault;
}

std::optional<std::vector<uint8_t>> Assets::Scenario(std::string_view name, std::string* fault) {
  std::string error;
  auto bytes = files_.ReadFile(Path(name), &error);
  if (!bytes) {
    *fault = Unreadable(name, error);
    return std::nullopt;
  }
  if (bytes->size() > language::kMaxScenarioSize) {
    *fault = Shown(name) + " is " + std::to_string(bytes->size()) +
             " bytes; a scenario file holds at most " + std::to_string(language::kMaxScenarioSize);
    return std::nullopt;
  }
  return bytes;
}

bool Assets::Exists(std::string_view name) { return files_.Exists(Path(name)); }

std::optional<std::map<uint32_t, language::SourceLine>> Assets::SourceLines(
    std::string_view snx_name, const std::vector<uint8_t>& bytes) {
  std::string_view stem = snx_name.substr(0, snx_name.size() - 4);  // without ".SNX"
  const std::string path = Path(std::string(stem) + ".s");
  std::string error;
  auto text = files_.ReadFile(path, &error);
  if (!text) return std::nullopt;
  language::SourceLoader read = [this](const std::string& p) -> std::optional<std::string> {
    std::string why;
    auto included = files_.ReadFile(p, &why);
    if (!included) return std::nullopt;
    return std::string(included->begin(), included->end());
  };
  language::AssemblyResult r =
      language::Assemble(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()),
                         path, read);
  // A source changed since it was assembled would give the wrong lines.
  if (!r.ok() || r.bytes != bytes) return std::nullopt;
  return std::move(r.lines);
}

}  // namespace velmor::check
