// The instructions, the scenario's turn in a tick and its own wait handlers.
#include <cinttypes>
#include <cstdio>

#include "core/sjis.h"
#include "core/texts.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/window.h"
#include "language/disassembly.h"
#include "scenario/scenario.h"

namespace velmor::scenario {

void Scenario::RunStep() {
  corner_texts_this_tick_.clear();
  if (MainProc == WaitHandler::None)
    RunInstructions();
  else
    waits.Run(MainProc);
}

void Scenario::WaitClick() {
  if (MainProc == WaitHandler::None) MainProc = WaitHandler::WaitClick;
  if (input_.clk == 1) MainProc = WaitHandler::None;
}

void Scenario::WaitTicks() {
  WaitCount -= (input_.sft == kSkipKey) ? 8 : 1;
  if (WaitCount < 1) MainProc = WaitHandler::None;
}

void Scenario::CornerText(const std::string& sjis) {
  // The texts themselves are kept: the error texts are made for each call
  // (in the chosen language), and a pointer to one outlived it.
  for (const std::string& drawn : corner_texts_this_tick_)
    if (drawn == sjis) return;
  corner_texts_this_tick_.push_back(sjis);
  services_.window.DrawCornerText(sjis);
}

void Scenario::ReportNotResponding() {
  if (told_not_responding_) return;
  told_not_responding_ = true;
  services_.dialogs.ShowMessageBox(
      GameSentence(GameText("シナリオが応答しません。待ち命令のないループが続いています。\n"
                            "ゲームは続けられますが、終了するときは右クリック二回で設定パネルを開いてください。"),
                   {}),
      platform::MessageKind::Error, platform::Buttons::Ok);
}

void Scenario::TraceInstruction(uint16_t at) {
  std::string line = language::DisassembleForTrace(std::span<const uint8_t>(snx), at);
  std::printf("%s: %s\n", language::FormatPlace(SjisToUtf8(CallFile[CallDepth].view()), at).c_str(),
              line.c_str());
}

// --- Operand groups ---

MessageOperand Scenario::ReadMessageOperand() {
  MessageOperand m;
  m.source = FetchByte();
  if (m.source == 1) {
    m.text = ReadString();
  } else if (m.source == 2) {
    uint16_t address = FetchWord();
    uint16_t resume = inx;
    inx = address;
    m.text = ReadString();
    inx = resume;
  }
  return m;
}

ChoiceList Scenario::ReadChoiceList() {
  // The first text is always read; the list ends at a 0 byte where the next
  // text would begin. Options past the seventh are read and dropped, so the
  // scenario stays in step.
  ChoiceList list;
  const uint16_t start = inx;
  uint32_t read = 0;
  do {
    uint32_t text_bytes = 0;
    ByteString text = ReadString(text_bytes);
    if (list.count < ChoiceList::kMaxOptions) list.options[list.count++] = text;
    // A list that runs round the whole image has no end.
    // Mended: the bytes were counted as the distance inx moved, which is 0
    // for a text of exactly 65,536 bytes: such a list was read for ever.
    read += text_bytes;
    if (read >= kImageSize) FailUnended(start);
  } while (snx[inx] != 0);
  ++inx;
  return list;
}

// --- Messages, clicks and choices ---

void Scenario::StartMessageFrom(int speaker, const MessageOperand& m) {
  if (m.source == 0) return;  // the instruction does nothing at all
  Host().StartMessage(speaker, m.source <= 2 ? &m.text : nullptr);
}
void Scenario::Text(const MessageOperand& m) { StartMessageFrom(0, m); }
void Scenario::TextA(const MessageOperand& m) { StartMessageFrom(1, m); }
void Scenario::TextB(const MessageOperand& m) { StartMessageFrom(2, m); }
void Scenario::TextN(uint8_t speaker, const MessageOperand& m) { StartMessageFrom(speaker, m); }

void Scenario::Click() { WaitClick(); }

void Scenario::Choice(uint16_t var, const ChoiceList& choices) {
  if (var >= kWorkCount) Work(var);  // reports the number and ends the program
  Host().ReadChoices(var, choices);
}

// --- Files ---

void Scenario::Goto(const ByteString& name) { LoadScenario(name); }
void Scenario::Call(const ByteString& name) { CallScenario(name); }
void Scenario::Return() { ReturnScenario(); }

// --- Random numbers ---

namespace {
int16_t Wrap(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }
}  // namespace

void Scenario::Random(uint16_t range, uint16_t var) {
  // Reseeded from the time of day at every draw: two draws in the same
  // millisecond give the same number.
  uint32_t seed = services_.clock.UtcTimeOfDayMs();
  seed = seed * 134775813u + 1u;
  uint32_t r = static_cast<uint32_t>((static_cast<uint64_t>(seed) * range) >> 32);
  Work(var) = Wrap(static_cast<int32_t>(r));
}

// --- Other subsystems ---

void Scenario::Music(const ByteString& name) { Host().PlayMusic(name); }
void Scenario::MusicStop() { Host().StopMusic(); }
void Scenario::MusicOnce() { Host().PlayMusicOnce(); }
void Scenario::LoadMenu(uint16_t month_var, uint16_t day_var) {
  Host().OpenSaveMenu(0, month_var, day_var);
}
void Scenario::SaveMenu(uint16_t month_var, uint16_t day_var) {
  Host().OpenSaveMenu(1, month_var, day_var);
}
void Scenario::Picture(const ByteString& name) { Host().ChangePicture(name); }
void Scenario::NameHero() { Host().OpenNamePanel(Sjis(GameText("貴男の名前を入力して下さい。")), 0, 2); }
void Scenario::NamePartner() {
  Host().OpenNamePanel(Sjis(GameText("好きな人の名前を入力して下さい。")), 1, 3);
}
void Scenario::Anime(uint8_t number) { Host().StartAnimation(number); }
void Scenario::HitMap(uint16_t var, const ByteString& name, uint8_t hover, uint8_t down) {
  if (var >= kWorkCount) Work(var);  // reports the number and ends the program
  Host().StartHitMap(var, name, hover, down);
}
void Scenario::CursorBack() { Host().RestoreCursor(); }
void Scenario::Status() { Host().ShowStatus(); }
void Scenario::StatusSet(const std::array<uint16_t, language::kStatusSlots>& vars) {
  StatusVars = vars;
}
// Switches only: they cost no more than a plain instruction.
void Scenario::Layout0() { host_.SetStatusLayout(0); }
void Scenario::Layout1() { host_.SetStatusLayout(1); }
void Scenario::FadeWhite() { host_.SetWhiteFill(1); }
void Scenario::FadeBlack() { host_.SetWhiteFill(0); }
void Scenario::ScaleOn() { host_.EnableResoSpin(true); }
void Scenario::ScaleOff() { host_.EnableResoSpin(false); }
void Scenario::Wait(uint8_t ticks) {
  MainProc = WaitHandler::WaitTicks;
  WaitCount = ticks;
}
void Scenario::LoadSystem() { Host().LoadSlot(0); }
void Scenario::End() { Quit(); }

}  // namespace velmor::scenario
