// TForm1: construction, the wiring of the panels' handlers, repaint, and the
// operations the scenario asks of the other subsystems.
#include "app/form.h"

#include "core/errors.h"
#include "core/sjis.h"
#include "menus/message_boxes.h"
#include "text/names.h"

namespace velmor::app {

TForm1::TForm1(Platform p, StartOptions opts) : platform(p), options(std::move(opts)) {
  scn.mcr = text::InitialNames();
  defmcr = text::DefaultNames();
  scn.SetTrace(options.trace);
  WireHandlers();
}

void TForm1::WireHandlers() {
  panels.SpeedSpin.OnChange = [this] { msgwin.SpeedSpinChange(); };
  panels.SpeedSpin.OnDblClick = [this] { msgwin.SpeedSpinDblClick(); };
  panels.ResoSpin.OnChange = [this] { scaling.ResoSpinChange(); };
  panels.ResoSpin.OnDblClick = [this] { scaling.ResoSpinDblClick(); };
  panels.MouseSpin.OnChange = [this] { cursors.MouseSpinChange(); };
  panels.MouseSpin.OnDblClick = [this] { cursors.MouseSpinDblClick(); };
  for (RadioButton* b : {&panels.WaveBtn, &panels.MidiBtn, &panels.MidiBtn2, &panels.MuteBtn})
    b->OnClick = [this] { music.MidiBtnClick(); };
  panels.SoundGroupBox.OnClick = [this] { music.MidiBtnClick(); };
  panels.EndButton.OnClick = [this] { EndButtonClick(); };
  panels.ExitButton.OnClick = [this] {
    config.ExitButtonClick();
    invalid = true;  // the panel uncovered the window
  };

  panels.NameEntryButton.OnClick = [this] { names.NameEntryButtonClick(); };
  panels.NameCancelButton.OnClick = [this] { names.NameCancelButtonClick(); };
  panels.DefNameButton.OnClick = [this] { names.DefNameButtonClick(); };
  panels.FirstNameEdit.OnEnter = [this] { names.FirstNameEditKeyPress(); };
  panels.SecondNameEdit.OnEnter = [this] { names.FirstNameEditKeyPress(); };

  panels.SaveButton.OnClick = [this] { saves.SaveButtonClick(); };
  panels.SaveList.OnDblClick = [this] { saves.SaveButtonClick(); };
  panels.SaveCancelButton.OnClick = [this] { saves.SaveCancelButtonClick(); };
}

void TForm1::FormPaint() {
  if (!layers.PictureName.empty()) {
    loader.Load(layers.TMP, graphics::BMPDIR, ByteString(layers.PictureName) + ".BMP");
    layers.IMG.palette = layers.TMP.palette;
  }
  layers.ShowBackBuffer();  // removes every transient overlay
  layers.DrawWallpaper();
  layers.Present(scaling.Disp.rect());
}

void TForm1::PaintIfInvalid() {
  if (!invalid || !started || quit) return;
  invalid = false;
  try {
    FormPaint();
  } catch (const GameError& e) {
    ReportError(e.message());
  }
}

void TForm1::ReportError(const std::string& text) {
  dialogs.ShowMessageBox(text, platform::MessageKind::Failure, platform::Buttons::Ok);
}

void TForm1::Quit() {
  if (quit) return;
  quit = true;
  for (Bitmap* b : {&layers.IMG, &layers.BMP, &layers.TMP, &layers.CLS, &layers.SP0, &layers.MS0,
                    &layers.SP1, &msgwin.msg.box})
    *b = Bitmap();
}

void TForm1::QuitNow() {
  Quit();
  throw QuitSignal{};
}

// --- What the scenario asks of the other subsystems ---

void TForm1::StartMessage(int speaker, const ByteString* text) { msgwin.StartMessage(speaker, text); }
void TForm1::ReadChoices(uint16_t result_var, const scenario::ChoiceList& list) {
  choices.ReadChoices(result_var, list);
}
void TForm1::ShowStatus() {
  status.DrawStatus();
  layers.ShowBackBuffer();
}
void TForm1::SetStatusLayout(int layout) { status.StatusLayout = layout; }
void TForm1::ChangePicture(const ByteString& name) { picture.ChangePicture(name); }
void TForm1::StartAnimation(uint8_t number) { animation.StartAnimation(number); }
void TForm1::StartHitMap(uint16_t result_var, const ByteString& name, uint8_t hover,
                         uint8_t down) {
  hitmap.StartHitMap(result_var, name, hover, down);
}
void TForm1::RestoreCursor() { cursors.RestoreCursor(); }
void TForm1::SetWhiteFill(int white) { picture.WhiteFill = static_cast<uint8_t>(white); }
void TForm1::EnableResoSpin(bool enabled) { panels.ResoSpin.enabled = enabled; }
void TForm1::PlayMusic(const ByteString& name) { music.PlayMusic(name); }
void TForm1::StopMusic() { music.StopMusic(); }
void TForm1::PlayMusicOnce() { music.PlayMusicOnce(); }
void TForm1::OpenNamePanel(const ByteString& prompt, int given_index, int family_index) {
  names.OpenNamePanel(prompt, given_index, family_index);
}
void TForm1::OpenSaveMenu(int save_mode, uint16_t month_var, uint16_t day_var) {
  saves.OpenSaveMenu(save_mode, month_var, day_var);
}
void TForm1::LoadSlot(int slot) { saves.LoadSlot(slot); }

void TForm1::RunWaitHandler(scenario::WaitHandler h) {
  using scenario::WaitHandler;
  switch (h) {
    case WaitHandler::TypeText: msgwin.TypeText(); break;
    case WaitHandler::ChoiceProc: choices.ChoiceProc(); break;
    case WaitHandler::ChangePicture: picture.ChangePicture(); break;
    case WaitHandler::PrepareScreen: picture.PrepareScreen(); break;
    case WaitHandler::DissolveIn: picture.DissolveIn(); break;
    case WaitHandler::HitMapPress: hitmap.HitMapPress(); break;
    case WaitHandler::HitMapRelease: hitmap.HitMapRelease(); break;
    case WaitHandler::AnimationStep: animation.AnimationStep(); break;
    default: break;  // WaitClick, WaitTicks and IdleWait are the engine's own
  }
}

}  // namespace velmor::app
