// The game state as JSON: stable key order, texts in UTF-8.
#include <cstdio>
#include <string>

#include "main/headless/state_json.h"

#include <cinttypes>

#include "core/json_writer.h"
#include "main/headless/headless_game.h"
#include "core/sjis.h"
#include "core/texts.h"
#include "menus/panel_layout.h"

namespace velmor::main {

namespace {

const char* KindName(platform::MessageKind k) {
  switch (k) {
    case platform::MessageKind::Error: return "error";
    case platform::MessageKind::Information: return "information";
    case platform::MessageKind::Confirmation: return "confirmation";
    case platform::MessageKind::Failure: return "failure";
  }
  return "";
}

void Controls(Json& j, const menus::Panels& const_panels) {
  auto& panels = const_cast<menus::Panels&>(const_panels);
  j.Key("controls");
  j.Open('{');
  for (const Control* c : panels.All()) {
    if (c->kind == ControlKind::Panel || c->kind == ControlKind::Label) continue;
    j.Key(c->name.c_str());
    j.Open('{');
    if (auto* spin = dynamic_cast<const SpinEdit*>(c)) {
      j.Key("value");
      j.Number(spin->value);
    } else if (auto* radio = dynamic_cast<const RadioButton*>(c)) {
      j.Key("checked");
      j.Bool(radio->checked);
    } else if (auto* edit = dynamic_cast<const Edit*>(c)) {
      j.Key("text");
      j.Sjis(edit->text);
      j.Key("composition");
      j.Text(edit->composition);
    } else if (auto* list = dynamic_cast<const ListBox*>(c)) {
      j.Key("selected");
      j.Number(list->selected);
      j.Key("rows");
      j.Open('[');
      for (const std::string& row : list->rows) j.Sjis(row);
      j.Close(']');
    } else {
      j.Key("caption");
      j.Sjis(c->caption);
      // What the player reads while the game's texts are shown translated
      // (the caption stays the game's).
      if (CurrentTexts().game_translated) {
        j.Key("shown");
        j.Text(TrGame(SjisToUtf8(c->caption)));
      }
    }
    j.Key("enabled");
    j.Bool(c->enabled);
    j.Close('}');
  }
  j.Close('}');
}

void DebuggerState(Json& j, const Debugger& d) {
  j.Key("debugger");
  j.Open('{');
  j.Key("paused"); j.Bool(d.paused());
  j.Key("reason"); j.Text(PauseReasonName(d.reason()));
  j.Key("where"); j.Open('{');
  j.Key("file"); j.Text(d.CurrentFile());
  j.Key("offset"); j.Number(d.Where());
  j.Close('}');
  j.Key("breakpoints"); j.Open('[');
  for (const app::Breakpoint& b : d.breakpoints()) {
    j.Open('{');
    j.Key("file"); j.Sjis(b.file);
    j.Key("offset"); j.Number(b.offset);
    j.Key("label"); j.Text(b.label);
    j.Close('}');
  }
  j.Close(']');
  j.Close('}');
}

// The scenario: where it is, its variables and flags, the wait and the
// names.
void ScenarioState(Json& j, const scenario::Scenario& s) {
  j.Key("inx"); j.Number(s.inx);
  j.Key("CallDepth"); j.Number(s.CallDepth);
  j.Key("CallFile"); j.Open('[');
  for (int level = 0; level <= s.CallDepth && level < scenario::kStackLevels; ++level)
    j.Sjis(s.CallFile[level].view());
  j.Close(']');
  j.Key("work"); j.Open('[');
  for (int16_t v : s.work) j.Number(v);
  j.Close(']');
  j.Key("flags"); j.Open('[');
  for (int n = 0; n < scenario::kFlagCount; ++n)
    if ((s.flag[n / 16] >> (n % 16)) & 1) j.Number(n);
  j.Close(']');
  j.Key("MainProc");
  if (s.MainProc == scenario::WaitHandler::None) j.Null(); else j.Text(scenario::WaitHandlerName(s.MainProc));
  j.Key("mcr"); j.Open('[');
  for (const Sstr& name : s.mcr) j.Sjis(name.view());
  j.Close(']');
}

// The display rectangle, the pointer, and the message being typed.
void ScreenState(Json& j, const TForm1::View& f) {
  j.Key("Disp"); j.Open('{');
  j.Key("Top"); j.Number(f.scaling.Disp.Top);
  j.Key("Left"); j.Number(f.scaling.Disp.Left);
  j.Key("Width"); j.Number(f.scaling.Disp.Width);
  j.Key("Height"); j.Number(f.scaling.Disp.Height);
  j.Close('}');
  j.Key("msx"); j.Number(f.input.msx);
  j.Key("msy"); j.Number(f.input.msy);
  const text::BoxRec& msg = f.msgwin.msg;
  j.Key("spd"); j.Number(msg.spd);
  j.Key("message"); j.Open('{');
  j.Key("MsgText"); j.Sjis(f.msgwin.MsgText.view());
  j.Key("MsgPos"); j.Number(f.msgwin.MsgPos);
  j.Key("PageWait"); j.Bool(f.msgwin.PageWait);
  j.Key("csx"); j.Number(msg.csx);
  j.Key("csy"); j.Number(msg.csy);
  j.Key("fdx"); j.Number(msg.fdx);
  j.Key("fdy"); j.Number(msg.fdy);
  j.Key("pri"); j.Number(msg.pri);
  j.Close('}');
}

// The picture, the pointer's shape, the status strip, the hold and the
// music.
void PictureAndSound(Json& j, const TForm1::View& f, const platform::HeadlessMediaPlayer* media) {
  j.Key("PictureName"); j.Sjis(f.layers.PictureName.view());
  j.Key("PictureRect"); j.Open('[');
  for (int32_t v : {f.layers.PictureRect.left, f.layers.PictureRect.top, f.layers.PictureRect.right,
                    f.layers.PictureRect.bottom})
    j.Number(v);
  j.Close(']');
  j.Key("CursorNumber"); j.Number(f.cursors.CursorNumber);
  j.Key("StatusLayout"); j.Number(f.status.StatusLayout);
  j.Key("WhiteFill"); j.Number(f.picture.WhiteFill);
  j.Key("HoldMode"); j.Number(f.input.HoldMode);
  j.Key("spf"); j.Number(f.input.spf);
  j.Key("CGHoldEnable"); j.Number(f.input.CGHoldEnable);
  j.Key("MusicName"); j.Sjis(f.music.MusicName.view());
  j.Key("MusicLoop"); j.Number(f.music.MusicLoop);
  if (!media) return;
  j.Key("media"); j.Open('{');
  j.Key("file"); j.Sjis(media->OpenedFile());
  j.Key("mode"); j.Text(media->ModeName());
  // Only a piece that plays has a place the game will go on from: a
  // stopped one is either over or forgotten by the game.
  j.Key("position_ms");
  j.Number(media->ModeName() == platform::MediaModeName(platform::MediaMode::Playing) ? media->PositionMs() : 0);
  j.Close('}');
}

// The panels and the backlog as the player sees them, and every box shown.
void PanelsAndBoxes(Json& j, const TForm1::View& f, const std::vector<RecordedBox>* boxes) {
  j.Key("panels"); j.Open('{');
  for (const Panel* panel : menus::PanelsOf(f.panels)) {
    j.Key(panel->name.c_str());
    j.Bool(panel->visible);
  }
  j.Close('}');
  j.Key("backlog"); j.Open('{');
  j.Key("open"); j.Bool(f.backlog_window.open());
  j.Key("entries"); j.Number(static_cast<long long>(f.backlog.size()));
  j.Key("shown"); j.Number(static_cast<long long>(f.backlog_window.shown()));
  j.Close('}');
  Controls(j, f.panels);
  if (!boxes) return;
  j.Key("messages"); j.Open('[');
  for (const RecordedBox& box : *boxes) {
    j.Open('{');
    j.Key("text"); j.Sjis(box.text);
    if (CurrentTexts().game_translated) {
      j.Key("shown"); j.Text(TrGame(SjisToUtf8(box.text)));
    }
    j.Key("kind"); j.Text(KindName(box.kind));
    j.Key("answer"); j.Text(box.answer == platform::Answer::Ok ? "ok" : "cancel");
    j.Close('}');
  }
  j.Close(']');
}

}  // namespace

std::string GameStateJson(const TForm1::View& f, const platform::HeadlessMediaPlayer* media,
                          const std::vector<RecordedBox>* boxes) {
  Json j;
  j.Open('{');
  j.Key("ticks"); j.Number(static_cast<long long>(f.ticks));
  ScenarioState(j, f.scn);
  ScreenState(j, f);
  PictureAndSound(j, f, media);
  PanelsAndBoxes(j, f, boxes);
  char frame[17];
  std::snprintf(frame, sizeof frame, "%016" PRIx64, PictureDigest(f.layers.IMG));
  j.Key("frame"); j.Text(frame);
  j.Key("quit"); j.Bool(f.quit);
  if (f.warnings) {  // --warn only
    j.Key("warnings");
    j.Open('[');
    for (const std::string& w : f.warnings->list()) j.Text(w);
    j.Close(']');
  }
  if (f.debugger) DebuggerState(j, *f.debugger);  // with the debugger on only
  j.Close('}');
  j.out += "\n";
  return j.out;
}

std::string HeadlessGame::StateJson() const {
  return GameStateJson(form_->view(), &media_, &answers_.Boxes());
}

std::string HeadlessGame::StateFileJson() const {
  std::string json = StateJson();
  if (notices_.empty()) return json;
  // What the window's corner said, in the player's language: the window's,
  // not the game's, so only in the file a script writes.
  Json j;
  j.Open('[');
  for (const std::string& n : notices_) j.Text(n);
  j.Close(']');
  json.insert(json.rfind('}'), ",\"notices\":" + j.out);
  return json;
}

}  // namespace velmor::main
