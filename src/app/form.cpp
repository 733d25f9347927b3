// TForm1: construction, the wiring of the panels' handlers, repaint, and the
// operations the scenario asks of the other subsystems.
#include "app/form.h"

#include <optional>
#include <utility>

#include "core/errors.h"
#include "core/texts.h"
#include "core/sjis.h"
#include "menus/message_boxes.h"
#include "menus/panel_layout.h"
#include "text/names.h"

namespace velmor::app {

TForm1::TForm1(Platform p, StartOptions opts) : platform(p), options(std::move(opts)) {
  scn.mcr = text::InitialNames();
  defmcr = text::DefaultNames();
  scn.SetTrace(options.trace);
  msgwin.log = &backlog;
  choices.log = &backlog;
  WireHandlers();
  BindWaitHandlers();
  if (options.warn) EnableWarnings(true);
}

TForm1::View TForm1::view() const {
  return View{options,   ExePath,    DatPath,   SlotPath,       input,   panels_, layers,
              scaling,   scn,        msgwin,    status,         choices, picture, cursors,
              hitmap,    animation,  music,     saves,          reader,  backlog,
              backlog_window,        platform.media, warnings.get(), debugger_.get(),
              ticks_,    started_,   quit_};
}

void TForm1::EnableWarnings(bool print) {
  warnings = std::make_unique<RunWarnings>(scn);
  warnings->print = print;
  RunWarnings& w = *warnings;
  loader.OnFailure = [&w](const std::string& text) { w.Add(text, text); };
  music.OnFailure = [&w](const std::string& text) { w.Add(text, text); };
  scn.OnFileFailure = [&w](const std::string& text) { w.Add(text, text); };
  dialogs.OnError = [&w](const std::string& sjis_text) {
    std::string text = SjisToUtf8(sjis_text);
    for (char& c : text)
      if (c == '\n') c = ' ';
    w.Add("box: " + text, Fill(Tr("error box \"%s\""), {text}));
  };
  scn.OnRunaway = [this, &w] {
    std::string file = SjisToUtf8(scn.CallFile[scn.CallDepth].view()) + ".SNX";
    w.Add("loop: " + file, Fill(Tr("a loop without a wait: %s instructions' worth of work in one tick"),
                                {std::to_string(scenario::kRunawayWork)}));
  };
}

Debugger& TForm1::EnableDebugger() {
  if (!debugger_) debugger_ = std::make_unique<Debugger>(*this);
  return *debugger_;
}

Handler TForm1::Guarded(std::function<void()> body) {
  // A panel's handler is an event of its own: a failure inside it is shown
  // and the game goes on; a panel it hides uncovers the window, which is
  // then repainted.
  return [this, body = std::move(body)] {
    const auto all = menus::PanelsOf(std::as_const(panels_));
    std::vector<bool> shown_before;
    for (const Panel* p : all) shown_before.push_back(p->visible);
    errors.Catching(body);
    for (std::size_t i = 0; i < all.size(); ++i)
      if (shown_before[i] && !all[i]->visible) invalid = true;
  };
}

void TForm1::WireHandlers() {
  Panels& p = panels_;
  p.SpeedSpin.OnChange = Guarded([this] { msgwin.SpeedSpinChange(); });
  p.SpeedSpin.OnDblClick = Guarded([this] { msgwin.SpeedSpinDblClick(); });
  p.ResoSpin.OnChange = Guarded([this] { scaling.ResoSpinChange(); });
  p.ResoSpin.OnDblClick = Guarded([this] { scaling.ResoSpinDblClick(); });
  p.MouseSpin.OnChange = Guarded([this] { cursors.MouseSpinChange(); });
  p.MouseSpin.OnDblClick = Guarded([this] { cursors.MouseSpinDblClick(); });
  for (RadioButton* b : {&p.WaveBtn, &p.MidiBtn, &p.MidiBtn2, &p.MuteBtn})
    b->OnClick = Guarded([this] { music.MidiBtnClick(); });
  p.SoundGroupBox.OnClick = Guarded([this] { music.MidiBtnClick(); });
  p.EndButton.OnClick = Guarded([this] { EndButtonClick(); });
  p.ExitButton.OnClick = Guarded([this] { config.ExitButtonClick(); });

  p.NameEntryButton.OnClick = Guarded([this] { names.NameEntryButtonClick(); });
  p.NameCancelButton.OnClick = Guarded([this] { names.NameCancelButtonClick(); });
  p.DefNameButton.OnClick = Guarded([this] { names.DefNameButtonClick(); });
  p.FirstNameEdit.OnEnter = Guarded([this] { names.FirstNameEditKeyPress(); });
  p.SecondNameEdit.OnEnter = Guarded([this] { names.FirstNameEditKeyPress(); });

  p.SaveButton.OnClick = Guarded([this] { saves.SaveButtonClick(); });
  p.SaveList.OnDblClick = Guarded([this] { saves.SaveButtonClick(); });
  p.SaveCancelButton.OnClick = Guarded([this] { saves.SaveCancelButtonClick(); });
}

void TForm1::FormPaint() {
  if (!layers.PictureName.empty()) {
    loader.Load(layers.TMP, graphics::BMPDIR, ByteString(layers.PictureName) + ".BMP");
    layers.IMG.palette = layers.TMP.palette;
  }
  layers.ShowBackBuffer();  // removes every transient overlay
  // A held picture stays held: the player is looking at it (through the
  // settings panel, or after answering a box) until a left click ends the
  // hold; the message window must not come back behind the panel.
  if (input.HoldMode == 1) {
    DrawBitmap(layers.IMG, layers.PictureRect.left, layers.PictureRect.top, layers.TMP);
    layers.ImageDrawn(Rect::FromSize(layers.PictureRect.left, layers.PictureRect.top,
                                     layers.TMP.width(), layers.TMP.height()));
  }
  backlog_window.Repaint();
  save_screen.Refresh();
  // The picture is presented even when the wallpaper cannot be drawn; why
  // is told after.
  std::optional<GameError> wallpaper_fault;
  try {
    layers.DrawWallpaper();
  } catch (const GameError& e) {
    wallpaper_fault = e;
  }
  layers.Present(scaling.Disp.rect());
  if (wallpaper_fault) throw *wallpaper_fault;
}

void TForm1::PaintIfInvalid() {
  if (!invalid || !started_ || quit_) return;
  invalid = false;
  try {
    FormPaint();
  } catch (const GameError& e) {
    ReportError(e.message());
  }
}

void TForm1::ApplyReaderSettings(const ReaderSettings& settings) {
  reader_settings_ = settings;
  reader_settings_.Clamp();
  platform.media.SetVolume(reader_settings_.music_volume);
  platform.window.SetSmoothScaling(reader_settings_.smooth_scaling);
  reader.SetAutoBaseMs(reader_settings_.auto_delay_ms);
  reader.SetCtrlPassesWaits(reader_settings_.ctrl_passes_waits);
  platform.font.UseBitmaps(reader_settings_.text_face == TextFace::Bitmap);
  // The picture's size: the window is painted anew at the new one.
  const bool fit = reader_settings_.picture_size == PictureSize::FitScreen;
  platform.window.SetSharpScaling(fit);
  if (fit != scaling.fit_screen()) {
    scaling.SetFitScreen(fit);
    invalid = true;
  }
  Texts& texts = CurrentTexts();
  texts.language = ChosenLanguage(reader_settings_.language, texts.system_language);
  texts.game_translated = reader_settings_.translate_game;
}

void TForm1::ReportError(const std::string& text) { errors.Show(text); }

void TForm1::Quit() {
  if (quit_) return;
  quit_ = true;
  for (Bitmap* b : {&layers.IMG, &layers.BMP, &layers.TMP, &layers.CLS, &layers.SP0, &layers.MS0,
                    &layers.SP1, &msgwin.msg.box})
    *b = Bitmap();
}

void TForm1::QuitNow() {
  Quit();
  throw QuitSignal{};
}

// --- What the scenario asks of the other subsystems ---

void TForm1::StartMessage(int speaker, const ByteString* text) {
  reader.MessageStarted();
  msgwin.StartMessage(speaker, text);
}
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
void TForm1::EnableResoSpin(bool enabled) { panels_.ResoSpin.enabled = enabled; }
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

void TForm1::BindWaitHandlers() {
  using scenario::WaitHandler;
  scenario::WaitTable& w = scn.waits;
  w.Bind(WaitHandler::TypeText, [this] { msgwin.TypeText(); });
  w.Bind(WaitHandler::ChoiceProc, [this] { choices.ChoiceProc(); });
  w.Bind(WaitHandler::ChangePicture, [this] { picture.ChangePicture(); });
  w.Bind(WaitHandler::PrepareScreen, [this] { picture.PrepareScreen(); });
  w.Bind(WaitHandler::DissolveIn, [this] { picture.DissolveIn(); });
  w.Bind(WaitHandler::HitMapPress, [this] { hitmap.HitMapPress(); });
  w.Bind(WaitHandler::HitMapRelease, [this] { hitmap.HitMapRelease(); });
  w.Bind(WaitHandler::AnimationStep, [this] { animation.AnimationStep(); });
}

}  // namespace velmor::app
