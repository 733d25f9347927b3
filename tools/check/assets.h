// What the engine would make of the files a scenario asks for: each file of
// the data folder looked up the way the engine looks it up (letter case
// ignored), read and checked by the engine's own picture and sound checks.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "language/assembler.h"

namespace velmor::platform {
class Files;
}

namespace velmor::check {

class Assets {
 public:
  // `data_folder`: the folder as the system names it, ending in "/".
  Assets(platform::Files& files, std::string data_folder)
      : files_(files), data_folder_(std::move(data_folder)) {}

  // Why the picture `name` (a Shift-JIS game path such as "CG\BG01.BMP")
  // would not load: "CG/BG01.BMP is missing", "... is refused: damaged BMP
  // file: ..."; nothing when it loads.
  std::optional<std::string> PictureFault(std::string_view name);
  // The same for a WAVE or MIDI file ("SOUND\M01.MID").
  std::optional<std::string> SoundFault(std::string_view name);
  // The bytes of a scenario file ("SNX\INIT.SNX"), or nothing with the
  // reason in *fault (missing, unreadable, larger than the image).
  std::optional<std::vector<uint8_t>> Scenario(std::string_view name, std::string* fault);

  // Whether the file is there at all (readable or not).
  bool Exists(std::string_view name);
  // Where each statement of the scenario's source stands, when the source
  // lies beside it ("SNX\INIT.s" for "SNX\INIT.SNX") and assembles to exactly
  // `bytes`; the places name the source as the system does
  // ("mygame/SNX/INIT.s").
  std::optional<std::map<uint32_t, language::SourceLine>> SourceLines(
      std::string_view snx_name, const std::vector<uint8_t>& bytes);

  // A game path as the reports show it: "CG/BG01.BMP".
  static std::string Shown(std::string_view name);

 private:
  std::string Path(std::string_view name) const;
  // "... is missing" or "... cannot be read: <the system's text>".
  std::string Unreadable(std::string_view name, const std::string& error);

  platform::Files& files_;
  std::string data_folder_;
  std::map<std::string, std::optional<std::string>, std::less<>> checked_;
};

}  // namespace velmor::check
