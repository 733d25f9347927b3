#include "check/checker.h"

#include <algorithm>
#include <map>

#include "check/assets.h"
#include "check/flow.h"
#include "core/byte_string.h"
#include "core/sjis.h"
#include "graphics/animation.h"
#include "graphics/cursors.h"
#include "graphics/layers.h"
#include "graphics/picture_change.h"
#include "menus/panels.h"
#include "language/disassembly.h"
#include "language/operand_ranges.h"
#include "sound/music.h"

namespace velmor::check {

namespace {

using language::OpFlag;
using language::RawInstruction;

constexpr std::string_view kSnxDir = "SNX\\";
constexpr std::string_view kFirstScenario = "INIT";

// The pictures start-up loads, and the sounds it plays to probe the sources.
constexpr const char* kStartUpPictures[] = {"KURO.BMP", "MESH.BMP", "_CGBK.BMP", "CHU.BMP",
                                            "WK00.BMP", "WK01.BMP", "WK02.BMP", "WALL00.BMP"};
constexpr const char* kProbeSounds[] = {"QV00.WAV", "QV00.MID"};

bool Is(const RawInstruction& in, OpFlag flag) { return in.row->Has(flag); }

// A GOTO or a CALL: the file its text names runs next.
bool NamesScenario(const RawInstruction& in) {
  return Is(in, OpFlag::GoesToFile) || Is(in, OpFlag::CallsFile);
}

// File names are found without regard to ASCII case, so they are told apart
// the same way.
std::string Key(std::string_view sjis_name) {
  std::string k(sjis_name);
  for (size_t i = 0; i < k.size(); ++i) {
    auto b = static_cast<uint8_t>(k[i]);
    if (IsLeadByte(b)) ++i;
    else if (b >= 'a' && b <= 'z') k[i] = static_cast<char>(b - 32);
  }
  return k;
}

struct ScenarioFile {
  std::string name;   // Shift-JIS, as first named
  std::string shown;  // "NAME.SNX" in UTF-8
  bool loaded = false;
  bool from_init = false;  // INIT or reached from it
  bool level0 = false;     // runs at call level 0
  std::vector<uint8_t> bytes;
  Flow flow;
  std::vector<std::string> gotos, calls;  // keys
  std::map<uint32_t, language::SourceLine> lines;  // from the source beside it, if any
};

class Checker {
 public:
  Checker(platform::Files& files, const std::string& data_folder) : assets_(files, data_folder) {}

  std::vector<Finding> Run(const std::vector<std::string>& others) {
    StartUp();
    Walk(std::string(kFirstScenario), true);
    for (const std::string& name : others) Walk(name, false);
    MarkLevelZero();
    for (const std::string& key : order_) Report(files_.at(key));
    return std::move(findings_);
  }

 private:
  void Add(Severity s, const ScenarioFile* f, std::optional<uint32_t> at, std::string message) {
    Finding out{s, f ? f->shown : "", at, "", "", std::move(message)};
    if (f && at) {
      auto it = f->flow.reached.find(*at);
      if (it != f->flow.reached.end()) out.instruction = language::FormatInstruction(it->second);
      out.source = SourcePlace(*f, *at);
    }
    findings_.push_back(std::move(out));
  }

  // The source line of the statement that wrote the byte at `at`.
  static std::string SourcePlace(const ScenarioFile& f, uint32_t at) {
    auto it = f.lines.upper_bound(at);
    if (it == f.lines.begin()) return "";
    --it;
    return it->second.file + ":" + std::to_string(it->second.line);
  }

  void StartUp() {
    for (const char* file : kStartUpPictures)
      if (auto fault = assets_.PictureFault(std::string(graphics::BMPDIR) + file))
        Add(Severity::Error, nullptr, std::nullopt, "start-up picture " + *fault);
    PointerShapes();
    for (const char* file : kProbeSounds)
      if (auto fault = assets_.SoundFault(std::string(sound::SNDDIR) + file))
        Add(Severity::Warning, nullptr, std::nullopt,
            "sound probe " + *fault + ": the sources that play it are switched off");
  }

  // The shape before any is chosen (0), and those the settings offer.
  void PointerShapes() {
    menus::Panels panels;
    const SpinEdit& spin = panels.MouseSpin;
    for (int n = 0; n <= spin.max_value; ++n) {
      if (n > 0 && n < spin.min_value) continue;
      for (const ByteString& file :
           {graphics::Cursors::SpriteFile(n), graphics::Cursors::MaskFile(n)})
        if (auto fault = assets_.PictureFault(std::string(graphics::CSRDIR) + file.str()))
          Add(Severity::Error, nullptr, std::nullopt,
              "pointer shape " + std::to_string(n) + " " + *fault);
    }
  }

  // Loads and traces a scenario and every one it names, once each.
  void Walk(const std::string& first, bool from_init) {
    std::vector<std::string> queue{first};
    while (!queue.empty()) {
      std::string name = queue.back();
      queue.pop_back();
      auto [it, fresh] = files_.try_emplace(Key(name));
      ScenarioFile& f = it->second;
      if (!fresh) continue;
      order_.push_back(it->first);
      f.name = name;
      f.shown = SjisToUtf8(name) + ".SNX";
      f.from_init = from_init;
      if (!Load(f)) continue;
      for (const auto& [at, in] : f.flow.reached) {
        if (!NamesScenario(in)) continue;
        const std::string& target = in.operands.at(0).texts.at(0);
        (Is(in, OpFlag::GoesToFile) ? f.gotos : f.calls).push_back(Key(target));
        queue.push_back(target);
      }
    }
  }

  bool Load(ScenarioFile& f) {
    std::string fault;
    auto bytes = assets_.Scenario(std::string(kSnxDir) + f.name + ".SNX", &fault);
    if (!bytes) {
      faults_of_[Key(f.name)] = fault;
      return false;
    }
    f.loaded = true;
    f.bytes = std::move(*bytes);
    f.flow = TraceFlow(f.bytes);
    if (auto lines = assets_.SourceLines(std::string(kSnxDir) + f.name + ".SNX", f.bytes))
      f.lines = std::move(*lines);
    return true;
  }

  // INIT runs at level 0, and so does every file a level-0 file goes to.
  void MarkLevelZero() {
    std::vector<std::string> queue{Key(kFirstScenario)};
    while (!queue.empty()) {
      auto it = files_.find(queue.back());
      queue.pop_back();
      if (it == files_.end() || it->second.level0) continue;
      it->second.level0 = true;
      for (const std::string& k : it->second.gotos) queue.push_back(k);
    }
  }

  void Report(const ScenarioFile& f) {
    const size_t first = findings_.size();
    if (!f.loaded) {
      if (f.name == kFirstScenario)
        Add(Severity::Error, nullptr, std::nullopt,
            "the first scenario " + faults_of_[Key(f.name)] + ": the game cannot start");
      return;
    }
    if (!f.from_init)
      Add(Severity::Information, &f, 0, "no GOTO or CALL on the way from INIT leads to this file");
    for (const FlowFault& fault : f.flow.faults) Add(Severity::Error, &f, fault.at, fault.message);
    for (const auto& [at, in] : f.flow.reached) Instruction(f, in);
    for (const Loop& loop : LoopsWithoutWait(f.flow, [this](const RawInstruction& in) {
           return language::Waits(in) || (Is(in, OpFlag::CallsFile) && CalleeWaits(in));
         }))
      Add(Severity::Warning, &f, loop.first,
          "the instructions from " + Hex(loop.first) + " to " + Hex(loop.last) +
              " can go round without any wait (while they do, the game does not answer the "
              "player)");
    Unreached(f);
    std::stable_sort(findings_.begin() + static_cast<long>(first), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.offset < b.offset; });
  }

  static std::string Hex(uint32_t at) { return language::FormatAddress(static_cast<uint16_t>(at)); }

  // A called file that is missing stops the game; one that waits somewhere,
  // or goes to or calls one that does, gives the tick back.
  bool CalleeWaits(const RawInstruction& call) {
    std::vector<std::string> queue{Key(call.operands.at(0).texts.at(0))};
    std::map<std::string, bool> seen;
    while (!queue.empty()) {
      std::string key = queue.back();
      queue.pop_back();
      if (seen[key]) continue;
      seen[key] = true;
      auto it = files_.find(key);
      if (it == files_.end() || !it->second.loaded) return true;
      for (const auto& [at, in] : it->second.flow.reached)
        if (language::Waits(in)) return true;
      for (const auto* next : {&it->second.gotos, &it->second.calls})
        queue.insert(queue.end(), next->begin(), next->end());
    }
    return false;
  }

  void Instruction(const ScenarioFile& f, const RawInstruction& in) {
    for (const std::string& fault : language::OperandFaults(in))
      Add(Severity::Error, &f, in.offset, fault);
    if (Is(in, OpFlag::Returns) && f.level0)
      Add(Severity::Error, &f, in.offset,
          "RETURN at call level 0: " + f.shown +
              " runs at the top level (INIT, or a GOTO from it), where there is no caller to "
              "return to");
    if (NamesScenario(in)) {
      std::string key = Key(in.operands.at(0).texts.at(0));
      if (auto fault = faults_of_.find(key); fault != faults_of_.end())
        Add(Severity::Error, &f, in.offset, "scenario " + fault->second);
    }
    if (Is(in, OpFlag::ShowsPicture)) Picture(f, in);
    if (Is(in, OpFlag::StartsHitMap)) HitMap(f, in);
    if (Is(in, OpFlag::StartsAnimation))
      Picture(f, in, "animation strip",
              std::string(graphics::BMPDIR) +
                  graphics::Animation::StripFile(in.operands.at(0).value).str());
    if (Is(in, OpFlag::PlaysMusic)) Music(f, in);
  }

  void Picture(const ScenarioFile& f, const RawInstruction& in, const std::string& role,
               const std::string& file) {
    if (auto fault = assets_.PictureFault(file))
      Add(Severity::Error, &f, in.offset, role + " " + *fault);
  }

  void Picture(const ScenarioFile& f, const RawInstruction& in) {
    const std::string& name = in.operands.at(0).texts.at(0);
    if (name.empty()) return;  // the current picture once more
    Sstr kept(name);           // the engine keeps the first 16 bytes of the name
    if (kept.size() < name.size())
      Add(Severity::Warning, &f, in.offset,
          "the picture name is " + std::to_string(name.size()) + " bytes; the engine keeps the "
          "first " + std::to_string(kept.size()) + " (\"" + SjisToUtf8(kept.view()) + "\")");
    bool framed = graphics::PictureChange::IsFramed(kept);
    Picture(f, in, framed ? "framed picture" : "full-screen picture",
            std::string(graphics::BMPDIR) + kept.str() + ".BMP");
  }

  void HitMap(const ScenarioFile& f, const RawInstruction& in) {
    Picture(f, in, "hit-map picture",
            std::string(graphics::BMPDIR) + in.operands.at(1).texts.at(0) + ".BMP");
    std::vector<uint16_t> cursors;
    for (size_t i : {2u, 3u}) {
      uint16_t n = in.operands.at(i).value;
      // 0 keeps the current pointer.
      if (n != 0 && std::find(cursors.begin(), cursors.end(), n) == cursors.end())
        cursors.push_back(n);
    }
    for (uint16_t n : cursors) {
      Picture(f, in, "cursor sprite",
              std::string(graphics::CSRDIR) + graphics::Cursors::SpriteFile(n).str());
      Picture(f, in, "cursor mask",
              std::string(graphics::CSRDIR) + graphics::Cursors::MaskFile(n).str());
    }
  }

  // Each source's form of the piece. A piece that has some of its forms is
  // only missing the others for a player who chooses that source: a
  // warning; one with none at all, or a form the engine would refuse, is an
  // error.
  void Music(const ScenarioFile& f, const RawInstruction& in) {
    const std::string& name = in.operands.at(0).texts.at(0);
    bool some = false;
    for (sound::MusicSource source : sound::kMusicSources)
      some = some || assets_.Exists(sound::MusicFile(source, name));
    for (sound::MusicSource source : sound::kMusicSources) {
      const char* role = source == sound::MusicSource::Wave       ? "WAVE music"
                         : source == sound::MusicSource::Midi     ? "MIDI music"
                                                                  : "SC-88 MIDI music";
      const std::string file = sound::MusicFile(source, name);
      auto fault = assets_.SoundFault(file);
      if (!fault) continue;
      if (some && !assets_.Exists(file))
        Add(Severity::Warning, &f, in.offset,
            std::string(role) + " " + *fault +
                ": a player who chooses that source gets an error box here (the piece's other "
                "forms are there)");
      else
        Add(Severity::Error, &f, in.offset, std::string(role) + " " + *fault);
    }
  }

  // Bytes neither code nor a message's text, a report for each run of them.
  void Unreached(const ScenarioFile& f) {
    const uint32_t size = static_cast<uint32_t>(f.bytes.size());
    for (uint32_t at = 0; at < size;) {
      if (f.flow.used[at]) {
        ++at;
        continue;
      }
      uint32_t end = at;
      while (end < size && !f.flow.used[end]) ++end;
      Finding out{Severity::Information, f.shown, at, SourcePlace(f, at), "",
                  std::to_string(end - at) + (end - at == 1 ? " byte from " : " bytes from ") + Hex(at) + " to " + Hex(end - 1) +
                      " that no path reaches"};
      auto in = language::DecodeInstruction(std::span(f.bytes).first(end), at);
      if (in) out.instruction = language::FormatInstruction(*in);
      findings_.push_back(std::move(out));
      at = end;
    }
  }

  Assets assets_;
  std::map<std::string, ScenarioFile> files_;
  std::vector<std::string> order_;            // keys in the order the files were met
  std::map<std::string, std::string> faults_of_;  // why a file could not be loaded
  std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> CheckGame(platform::Files& files, const std::string& data_folder,
                               const std::vector<std::string>& other_scenarios) {
  return Checker(files, data_folder).Run(other_scenarios);
}

}  // namespace velmor::check
