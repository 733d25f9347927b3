#include "app/debugger.h"

#include <algorithm>
#include <charconv>

#include "app/form.h"
#include "core/game_path.h"
#include "core/sjis.h"
#include "core/texts.h"
#include "language/disassembly.h"

namespace velmor::app {

namespace {

using scenario::WaitHandler;

std::string Upper(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size(); ++i) {
    auto b = static_cast<uint8_t>(out[i]);
    if (IsLeadByte(b)) {
      ++i;  // the second byte of a double-byte character is no letter
    } else if (b >= 'a' && b <= 'z') {
      out[i] = static_cast<char>(b - 'a' + 'A');
    }
  }
  return out;
}

// "0x1A" or "26".
std::optional<uint32_t> ParseOffset(std::string_view s) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  }
  uint32_t n = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n, base);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return n;
}

std::string Text(std::string_view s) { return std::string(s); }


}  // namespace

const char* PauseReasonName(PauseReason r) {
  switch (r) {
    // The names are the state output's; the window shows them translated.
    case PauseReason::None: return TrMark("none");
    case PauseReason::Pause: return TrMark("pause");
    case PauseReason::Breakpoint: return TrMark("breakpoint");
    case PauseReason::Step: return TrMark("step");
    case PauseReason::Wait: return TrMark("wait");
  }
  return "none";
}

std::string ScenarioKey(std::string_view sjis_name) {
  std::string key = Upper(sjis_name);
  if (key.size() > 4 && key.ends_with(".SNX")) key.resize(key.size() - 4);
  return key;
}

Debugger::Debugger(TForm1& form) : form_(form), scn_(form.scn) { scn_.SetGate(this); }

Debugger::~Debugger() { scn_.SetGate(nullptr); }

// --- Breakpoints ---

bool Debugger::AddBreakpoint(std::string_view where, std::string* error) {
  auto fail = [error](std::string why) {
    if (error) *error = std::move(why);
    return false;
  };
  const size_t colon = where.rfind(':');
  if (colon == std::string_view::npos || colon == 0 || colon + 1 == where.size())
    return fail(Fill(Tr("a breakpoint is FILE:OFFSET or FILE:LABEL, not \"%s\""), {Text(where)}));
  const std::string file = ScenarioKey(Utf8ToSjis(where.substr(0, colon)));
  const std::string at = Text(where.substr(colon + 1));
  std::string why;
  auto bytes = form_.platform.files.ReadFile(SnxPath(file), &why);
  if (!bytes)
    return fail(Fill(Tr("no scenario %s.SNX in the data folder (%s)"), {SjisToUtf8(file), why}));
  Breakpoint b{file, 0, ""};
  if (std::optional<uint32_t> offset = ParseOffset(at)) {
    if (*offset >= bytes->size())
      return fail(Fill(Tr("%s lies past the end of %s.SNX (%s bytes)"),
                       {at, SjisToUtf8(file), std::to_string(bytes->size())}));
    b.offset = static_cast<uint16_t>(*offset);
    if (std::optional<std::string> inside = InsideInstruction(file, *bytes, b.offset))
      return fail(*inside);
  } else {
    std::optional<uint16_t> labelled = ResolveLabel(file, at, error);
    if (!labelled) return false;
    b.offset = *labelled;
    b.label = at;
  }
  for (const Breakpoint& old : breakpoints_)
    if (old.file == b.file && old.offset == b.offset) return true;
  breakpoints_.push_back(std::move(b));
  return true;
}

std::optional<std::string> Debugger::InsideInstruction(const std::string& sjis_file,
                                                      const std::vector<uint8_t>& bytes,
                                                      uint16_t at) {
  // The starts the source gives when it lies beside the file; else those of
  // the listing, decoded from the top as the window shows it.
  std::vector<uint32_t> starts;
  if (const language::SourceLabels* labels = LabelsOf(sjis_file, nullptr)) {
    for (const auto& [offset, line] : labels->lines) starts.push_back(offset);
  } else {
    const std::span<const uint8_t> all(bytes.data(), std::min(bytes.size(), scenario::kImageSize));
    for (uint32_t from = 0; from < all.size();) {
      std::optional<language::RawInstruction> in = language::DecodeInstruction(all, from);
      if (!in) break;
      starts.push_back(from);
      from += in->length;
    }
  }
  auto next = std::upper_bound(starts.begin(), starts.end(), uint32_t{at});
  if (next == starts.begin() || *(next - 1) == at) return std::nullopt;
  const std::string name = SjisToUtf8(sjis_file);
  std::string nearest = language::FormatAddress(static_cast<uint16_t>(*(next - 1)));
  if (next != starts.end())
    nearest = Fill(Tr("%s and %s"), {nearest, language::FormatAddress(static_cast<uint16_t>(*next))});
  return Fill(Tr("%s lies inside an instruction, where the scenario never stops; the nearest "
                 "instructions start at %s"),
              {language::FormatPlace(name, at), nearest});
}

void Debugger::ToggleBreakpoint(uint16_t offset) {
  const std::string file = ScenarioKey(scn_.CallFile[scn_.CallDepth].view());
  auto same = [&](const Breakpoint& b) { return b.file == file && b.offset == offset; };
  auto it = std::find_if(breakpoints_.begin(), breakpoints_.end(), same);
  if (it != breakpoints_.end())
    breakpoints_.erase(it);
  else
    breakpoints_.push_back({file, offset, LabelAt(offset)});
}

bool Debugger::HasBreakpoint(uint16_t offset) const {
  const std::string file = ScenarioKey(scn_.CallFile[scn_.CallDepth].view());
  return std::any_of(breakpoints_.begin(), breakpoints_.end(), [&](const Breakpoint& b) {
    return b.offset == offset && b.file == file;
  });
}

bool Debugger::AtBreakpoint() const {
  for (const Breakpoint& b : breakpoints_)
    if (b.offset == scn_.inx && b.file == ScenarioKey(scn_.CallFile[scn_.CallDepth].view()))
      return true;
  return false;
}

// --- Labels ---

std::string Debugger::SnxPath(const std::string& sjis_file) const {
  return GamePath(form_.DatPath, "SNX\\" + sjis_file + ".SNX");
}

const language::SourceLabels* Debugger::LabelsOf(const std::string& sjis_file,
                                                  std::string* error) {
  auto it = labels_.find(sjis_file);
  // Found or not, the answer holds until the next reload.
  if (it == labels_.end()) it = labels_.emplace(sjis_file, ReadLabels(sjis_file)).first;
  if (it->second.error.empty()) return &it->second;
  if (error) *error = it->second.error;
  return nullptr;
}

language::SourceLabels Debugger::ReadLabels(const std::string& sjis_file) {
  auto fail = [](std::string why) {
    language::SourceLabels failed;
    failed.error = std::move(why);
    return failed;
  };
  const std::string name = SjisToUtf8(sjis_file);
  if (!assemble_) return fail(Tr("labels need the assembler, which this program lacks: use an offset"));
  platform::Files& files = form_.platform.files;
  // The source beside the scenario file, or in the data folder above it.
  std::string path;
  std::optional<std::vector<uint8_t>> source;
  for (const std::string& candidate : {GamePath(form_.DatPath, "SNX\\" + sjis_file + ".s"),
                                       GamePath(form_.DatPath, sjis_file + ".s")}) {
    std::string why;
    if ((source = files.ReadFile(candidate, &why))) {
      path = candidate;
      break;
    }
  }
  if (!source)
    return fail(
        Fill(Tr("no source %s.s in the data folder's SNX folder or beside it: use an offset"), {name}));
  language::IncludeReader read = [&files](const std::string& p) -> std::optional<std::string> {
    std::string why;
    auto bytes = files.ReadFile(p, &why);
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
  };
  language::SourceLabels labels = assemble_(
      std::string_view(reinterpret_cast<const char*>(source->data()), source->size()), path, read);
  if (!labels.error.empty()) return labels;
  std::string why;
  auto snx = files.ReadFile(SnxPath(sjis_file), &why);
  if (!snx || *snx != labels.bytes)
    return fail(Fill(Tr("%s does not assemble to SNX/%s.SNX: assemble it again"), {path, name}));
  return labels;
}

std::optional<uint16_t> Debugger::ResolveLabel(const std::string& sjis_file,
                                               const std::string& label, std::string* error) {
  const language::SourceLabels* labels = LabelsOf(sjis_file, error);
  if (!labels) return std::nullopt;
  auto it = labels->labels.find(label);
  if (it == labels->labels.end()) {
    if (error) *error = Fill(Tr("no label %s in %s.s"), {label, SjisToUtf8(sjis_file)});
    return std::nullopt;
  }
  return static_cast<uint16_t>(it->second);
}

std::string Debugger::LabelAt(uint16_t offset) {
  const language::SourceLabels* labels =
      LabelsOf(ScenarioKey(scn_.CallFile[scn_.CallDepth].view()), nullptr);
  if (!labels) return "";
  for (const auto& [name, at] : labels->labels)
    if (at == offset) return name;
  return "";
}

// --- The listing ---

// Texts in the listing and the state: a backslash as a source writes it.
constexpr language::FormatStyle kReaderStyle{.break_texts = false, .backslash = true};

std::vector<CodeLine> Debugger::Decode(uint32_t from, uint32_t size, int count) {
  std::vector<CodeLine> lines;
  const std::span<const uint8_t> bytes(scn_.snx.data(), size);
  const std::string file = ScenarioKey(scn_.CallFile[scn_.CallDepth].view());
  std::map<uint32_t, std::string> named;
  if (const language::SourceLabels* labels = LabelsOf(file, nullptr))
    for (const auto& [name, offset] : labels->labels) named.emplace(offset, name);
  auto label_at = [&named](uint32_t at) {
    auto it = named.find(at);
    return it == named.end() ? std::string() : it->second;
  };
  language::LabelNamer namer = [&](uint16_t at) {
    std::string name = label_at(at);
    return name.empty() ? language::FormatAddress(at) : name;
  };
  for (uint32_t at = from; at < size && static_cast<int>(lines.size()) < count;) {
    std::optional<language::RawInstruction> in = language::DecodeInstruction(bytes, at);
    if (!in) break;  // it runs past the end of the file
    lines.push_back({static_cast<uint16_t>(at), in->length, label_at(at),
                     language::FormatInstruction(*in, namer, kReaderStyle)});
    at += in->length;
  }
  return lines;
}

const std::vector<CodeLine>& Debugger::Listing() {
  const std::string file = ScenarioKey(scn_.CallFile[scn_.CallDepth].view());
  if (auto it = listings_.find(file); it != listings_.end()) return it->second.second;
  // The file's own bytes: what lies past its end in the image is an older file's.
  std::string why;
  auto bytes = form_.platform.files.ReadFile(SnxPath(file), &why);
  const uint32_t size =
      bytes ? static_cast<uint32_t>(std::min<size_t>(bytes->size(), scenario::kImageSize)) : 0;
  auto& entry = listings_[file];
  entry.first = size;
  entry.second = Decode(0, size, INT32_MAX);
  return entry.second;
}

std::vector<CodeLine> Debugger::CodeAround(int before, int after) {
  const std::vector<CodeLine>& all = Listing();
  const uint16_t at = scn_.inx;
  auto it = std::find_if(all.begin(), all.end(), [at](const CodeLine& l) { return l.offset == at; });
  if (it != all.end()) {
    auto first = it - std::min<std::ptrdiff_t>(before, it - all.begin());
    auto last = it + std::min<std::ptrdiff_t>(after, all.end() - it);
    return {first, last};
  }
  // inx stands where the listing from the start does not pass (after data,
  // or inside an instruction): the lines before it, then decoding from it.
  std::vector<CodeLine> lines;
  for (const CodeLine& l : all)
    if (l.offset + l.length <= at) lines.push_back(l);
  if (static_cast<int>(lines.size()) > before) lines.erase(lines.begin(), lines.end() - before);
  const uint32_t size = listings_[ScenarioKey(scn_.CallFile[scn_.CallDepth].view())].first;
  for (CodeLine& l : Decode(at, size, after)) lines.push_back(std::move(l));
  return lines;
}

// --- Running ---

void Debugger::Pause() {
  paused_ = true;
  reason_ = PauseReason::Pause;
}

void Debugger::Resume(PauseReason mode) {
  mode_ = mode;
  paused_ = false;
  reason_ = PauseReason::None;
  // Paused before an instruction: it runs first, without stopping there
  // again. Paused in a wait: a step ends at the first instruction after it.
  stepped_ = scn_.MainProc != WaitHandler::None;
  skip_once_ = !stepped_;
  depth_ = scn_.CallDepth;
}

void Debugger::Continue() { Resume(PauseReason::None); }

void Debugger::Step() {
  Resume(PauseReason::Step);
  depth_ = scenario::kStackLevels;  // any level
}

void Debugger::StepOver() { Resume(PauseReason::Step); }

void Debugger::RunToWait() {
  Resume(PauseReason::Wait);
  stepped_ = false;  // a wait going on now does not count
}

bool Debugger::Stop(PauseReason reason) {
  paused_ = true;
  reason_ = reason;
  mode_ = PauseReason::None;
  return true;
}

bool Debugger::HoldBefore() {
  if (skip_once_) {
    skip_once_ = false;
  } else if (AtBreakpoint()) {
    return Stop(PauseReason::Breakpoint);
  } else if (mode_ == PauseReason::Step && stepped_ && scn_.CallDepth <= depth_) {
    return Stop(PauseReason::Step);
  }
  stepped_ = true;
  return false;
}

void Debugger::RunStep() {
  if (paused_) return;
  scn_.RunStep();
  if (mode_ == PauseReason::Wait && stepped_ && scn_.MainProc != WaitHandler::None)
    Stop(PauseReason::Wait);
}

bool Debugger::Reload(std::string* error) {
  if (scn_.MainProc == WaitHandler::IdleWait) {
    if (error) *error = Tr("a panel holds the game: close it, then reload");
    return false;
  }
  const ByteString name(scn_.CallFile[scn_.CallDepth]);
  std::string why;
  auto bytes = form_.platform.files.ReadFile(SnxPath(name.str()), &why);
  if (!bytes || bytes->size() > scenario::kImageSize) {
    if (error)
      *error = Fill(Tr("cannot reload %s.SNX: %s"),
                    {SjisToUtf8(name.view()), bytes ? Tr("more than 65536 bytes") : why});
    return false;
  }
  labels_.clear();  // the sources may have changed too
  listings_.clear();
  scn_.LoadScenario(name);
  // A picture change or an animation cut short gives the picture hold back,
  // as their last step would have.
  switch (scn_.MainProc) {
    case WaitHandler::ChangePicture:
    case WaitHandler::PrepareScreen:
    case WaitHandler::DissolveIn:
    case WaitHandler::AnimationStep: form_.input.CGHoldEnable = 1; break;
    default: break;
  }
  scn_.MainProc = WaitHandler::None;
  scn_.WaitCount = 0;
  for (Breakpoint& b : breakpoints_)
    if (!b.label.empty())
      if (std::optional<uint16_t> at = ResolveLabel(b.file, b.label, nullptr)) b.offset = *at;
  return true;
}

// --- Editing ---

bool Debugger::SetWork(int64_t n, int64_t value, std::string* error) {
  if (n < 0 || n >= scenario::kWorkCount || value < -32768 || value > 65535) {
    if (error) *error = Tr("work variables are 0 to 255, values -32768 to 65535");
    return false;
  }
  scn_.work[static_cast<size_t>(n)] = static_cast<int16_t>(static_cast<uint16_t>(value));
  return true;
}

bool Debugger::SetFlag(int64_t n, int64_t value, std::string* error) {
  if (n < 0 || n >= scenario::kFlagCount || (value != 0 && value != 1)) {
    if (error) *error = Tr("flags are 0 to 4095, values 0 or 1");
    return false;
  }
  scn_.SetFlag(static_cast<uint16_t>(n), static_cast<uint16_t>(value));
  return true;
}

// --- Reading ---

std::string Debugger::CurrentFile() const {
  return SjisToUtf8(scn_.CallFile[scn_.CallDepth].view());
}

uint16_t Debugger::Where() const { return scn_.inx; }

std::vector<int> Debugger::SetFlags() const {
  std::vector<int> set;
  for (int n = 0; n < scenario::kFlagCount; ++n)
    if ((scn_.flag[static_cast<size_t>(n / 16)] >> (n % 16)) & 1) set.push_back(n);
  return set;
}

std::vector<CallLevel> Debugger::CallStack() const {
  std::vector<CallLevel> levels;
  for (int level = 0; level <= scn_.CallDepth && level < scenario::kStackLevels; ++level)
    levels.push_back({SjisToUtf8(scn_.CallFile[level].view()),
                      level == scn_.CallDepth ? scn_.inx : scn_.ReturnInx[level]});
  return levels;
}

std::string Debugger::WorkName(int n) {
  const language::SourceLabels* labels =
      LabelsOf(ScenarioKey(scn_.CallFile[scn_.CallDepth].view()), nullptr);
  if (!labels) return "";
  auto it = labels->work_names.find(static_cast<uint16_t>(n));
  return it == labels->work_names.end() ? "" : it->second;
}

std::string Debugger::FlagName(int n) {
  const language::SourceLabels* labels =
      LabelsOf(ScenarioKey(scn_.CallFile[scn_.CallDepth].view()), nullptr);
  if (!labels) return "";
  auto it = labels->flag_names.find(static_cast<uint16_t>(n));
  return it == labels->flag_names.end() ? "" : it->second;
}

namespace {

// What a wait handler waits for, as the state line says it.
const char* WaitsFor(WaitHandler h, bool page_wait) {
  switch (h) {
    case WaitHandler::WaitClick: return Tr("a click");
    case WaitHandler::TypeText:
      return page_wait ? Tr("a click at the page wait") : Tr("the text to be typed");
    case WaitHandler::ChoiceProc: return Tr("a choice");
    case WaitHandler::IdleWait: return Tr("the panel to be closed");
    case WaitHandler::HitMapPress:
    case WaitHandler::HitMapRelease: return Tr("a click on the picture");
    case WaitHandler::WaitTicks: return Tr("the timed wait to end");
    case WaitHandler::AnimationStep: return Tr("the animation to end");
    default: return Tr("the picture change to end");
  }
}

}  // namespace

std::string Debugger::StatusLine() const {
  if (paused_)
    return Fill(Tr("Paused at %s (%s)"),
                {language::FormatPlace(CurrentFile(), Where()), Tr(PauseReasonName(reason_))});
  // A step whose instruction started a wait goes on when the wait ends.
  if (mode_ == PauseReason::Step && scn_.MainProc != WaitHandler::None)
    return Fill(Tr("Stepping: waits for %s (%s)"),
                {WaitsFor(scn_.MainProc, form_.msgwin.PageWait),
                 scenario::WaitHandlerName(scn_.MainProc)});
  return Tr("Running");
}

DebugState Debugger::State() const {
  DebugState s;
  s.main_proc = scenario::WaitHandlerName(scn_.MainProc);
  // As the source writes it: "\" as typed, control codes as their escapes.
  s.message = language::FormatText(form_.msgwin.MsgText.view(), kReaderStyle);
  s.msg_pos = static_cast<int>(form_.msgwin.MsgPos);
  s.page_wait = form_.msgwin.PageWait;
  s.music = SjisToUtf8(form_.music.MusicName.view());
  s.music_loop = form_.music.MusicLoop == 1;
  s.media_file = form_.platform.media.FileName();
  switch (form_.platform.media.Mode()) {
    case platform::MediaMode::NotReady: s.media_mode = Tr("not ready"); break;
    case platform::MediaMode::Stopped: s.media_mode = Tr("stopped"); break;
    case platform::MediaMode::Playing: s.media_mode = Tr("playing"); break;
  }
  return s;
}

}  // namespace velmor::app
