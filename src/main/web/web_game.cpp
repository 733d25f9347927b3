#include "main/web/web_game.h"

#include <SDL.h>
#include <emscripten.h>

#include <cstdio>

#include "app/catalogues.h"
#include "app/reader_settings.h"
#include "core/errors.h"
#include "core/texts.h"
#include "language/source_labels.h"
#include "main/headless/state_json.h"
#include "menus/panel_layout.h"
#include "platform/shared/bitmap_font_files.h"
#include "platform/shared/deflate_compressor.h"
#include "platform/sdl/sdl_media_player.h"
#include "scenario/scenario.h"
#include "scenario/wait_handler.h"

namespace velmor::main {

namespace {

constexpr uint32_t kTickMs = 20;
constexpr const char* kCaption = "Velmor";

}  // namespace

bool ParseWebOptions(const std::vector<std::string>& args, WebOptions& options,
                     std::string* why) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--test") {
      options.test = true;
    } else if (a == "--data" && i + 1 < args.size()) {
      options.data = args[++i];
    } else {
      if (why) *why = Fill(Tr("the page passed an argument the game does not know: %s"), {a});
      return false;
    }
  }
  return true;
}

WebGame::WebGame(WebOptions options)
    : options_(std::move(options)), font_(options_.font), window_(font_) {
  if (options_.test) {
    auto media = std::make_unique<platform::HeadlessMediaPlayer>(files_);
    test_media_ = media.get();
    media_ = std::move(media);
  } else {
    media_ = std::make_unique<platform::sdl::SdlMediaPlayer>(files_, options_.soundfont);
  }
}

WebGame::~WebGame() = default;

uint64_t WebGame::ticks() const { return form_ ? form_->ticks() : 0; }

// Runs `body` as the loop runs an event: the game's end (QuitSignal)
// stops the page's game.
template <typename F>
void WebGame::Guard(F&& body) {
  if (ended_) return;
  try {
    body();
  } catch (const QuitSignal&) {
    ended_ = true;
  }
  if (!ended_) TellPictureSize();
}

void WebGame::TellPictureSize() {
  if (!form_) return;
  const int fit = form_->reader_settings().picture_size == app::PictureSize::FitScreen ? 1 : 0;
  if (fit == told_fit_) return;
  told_fit_ = fit;
  EM_ASM({ if (Module.onPictureSize) Module.onPictureSize($0); }, fit);
}

void WebGame::SizeCanvas(Size size) {
  // The page asks for no more than 4096 pixels a side; a larger size is
  // not a canvas a page would draw.
  constexpr int32_t kLargest = 8192;
  if (size.width < 1 || size.height < 1 || size.width > kLargest || size.height > kLargest) return;
  window_.SetClientSize(size);
}

bool WebGame::SetReaderSetting(const std::string& key, const std::string& value,
                               std::string* why) {
  if (!form_) return false;
  app::ReaderSettings settings = form_->reader_settings();
  if (!app::SetReaderSetting(settings, key, value, why)) return false;
  Guard([&] { session_->Run([&] { form_->ApplyReaderSettings(settings); }); });
  return true;
}

bool WebGame::Start(std::string* why) {
  LoadTexts();
  // Touches are the loop's own gestures, not SDL's left button.
  SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
  if (!sdl_.Init(why)) return false;
  if (!font_.ok()) {
    if (why) *why = font_.error();
    return false;
  }
  platform::sdl::WindowOptions window_options;
  window_options.windowed = true;
  window_options.fit_to_display = false;
  window_options.sized_by_page = true;
  window_options.window_size = options_.window;
  window_options.title = kCaption;
  window_options.renderer = platform::sdl::RendererChoice::Software;
  if (!window_.Open(window_options, why)) return false;
  face_.Map(options_.font.c_str());
  ui_ = std::make_unique<ui::UiLayer>(face_.bytes(), face_.bytes());
  std::string no_bitmaps;
  std::optional<platform::BitmapFonts> bitmaps =
      platform::LoadBitmapFonts(files_, {options_.bitmap_font_folder}, &no_bitmaps);
  if (bitmaps)
    bitmap_face_.SetBitmaps(std::move(bitmaps->full_width), std::move(bitmaps->half_width),
                            &no_bitmaps);
  if (!bitmap_face_.has_bitmaps())
    std::fprintf(stderr, "velmor: %s\n", text::OutlineFaceLine(no_bitmaps).c_str());

  app::StartOptions start;
  start.program_folder = "/velmor";
  start.data_folder = options_.data;
  start.slot_folder = options_.home + "/saves";
  start.user_data_folder = options_.home;
  start.player_ini_file = options_.home + "/BRANNIC.INI";
  platform::Clock& clock = options_.test ? static_cast<platform::Clock&>(virtual_clock_)
                                         : static_cast<platform::Clock&>(real_clock_);
  form_ = std::make_unique<app::TForm1>(
      app::Platform{files_, window_, boxes_, *media_, bitmap_face_, clock, platform::Deflate()}, start);
  session_ = std::make_unique<session::Session>(*form_, boxes_);
  session_->SetLabelAssembler(language::AssembleLabels);
  // The page runs a pass at once for every event: at a click wait one pass
  // a second is enough (the page waits no longer than that).
  session_->SetLongestRest(1000);
  session_->tell = [](const std::string& line) { std::fprintf(stderr, "velmor: %s\n", line.c_str()); };
  if (!options_.test) KeepReaderSettings();
  loop_ = std::make_unique<SdlLoop>(window_, *ui_, *session_);
  loop_->TranslateTouch(true);
  loop_->on_text_input = [](const session::TextInput& t) {
    EM_ASM({ if (Module.onTextInput) Module.onTextInput($0, $1, $2, $3, $4); }, t.on ? 1 : 0,
           t.field.left, t.field.top, t.field.width(), t.field.height());
  };
  if (options_.test) loop_->UseClock([this] { return virtual_ms_; });
  // Guard tells the page the picture size the settings chose.
  Guard([&] {
    if (session_->StartGame()) return;  // the game's box says why; the page's line too
    loop_->Start();
  });
  return true;
}

// The catalogues the page packed (from the native build's locale/) and the
// browser's language, which the reader's settings may override.
void WebGame::LoadTexts() {
  char* language = emscripten_run_script_string("navigator.language || ''");
  for (const std::string& line :
       app::LoadCatalogues(files_, {"/velmor/locale"}, LanguageOfLocale(language ? language : "")))
    std::fprintf(stderr, "velmor: %s\n", line.c_str());
}

// The reader's own settings, kept in the player's storage (a damaged file
// is said once, in the page's corner).
void WebGame::KeepReaderSettings() {
  settings_file_ = std::make_unique<app::ReaderSettingsFile>(
      files_, app::ReaderSettingsPathFrom(nullptr, options_.home.c_str()));
  std::string report;
  form_->ApplyReaderSettings(settings_file_->Load(&report));
  session_->SetReaderSettingsFile(settings_file_.get());
  if (!report.empty()) session_->ShowNotice(report);
}

void WebGame::Text(const std::string& utf8) {
  Guard([&] { loop_->Deliver(TypedText{utf8}); });
}

void WebGame::Compose(const std::string& utf8, int cursor) {
  Guard([&] { loop_->Deliver(Composition{utf8, cursor}); });
}

void WebGame::EditKey(Key key, bool shift) {
  Modifiers held;
  held.shift = shift;
  Guard([&] {
    loop_->Deliver(KeyEvent{key, held, true, false});
    loop_->Deliver(KeyEvent{key, held, false, false});
  });
}

uint64_t WebGame::Frame() {
  Guard([&] { loop_->PassWithoutWaiting(); });
  return ended_ ? 0 : loop_->WaitMs();
}

void WebGame::StepTicks(int count) {
  for (int i = 0; i < count && !ended_; ++i) {
    virtual_clock_.Advance(kTickMs);
    test_media_->Advance(kTickMs);
    virtual_ms_ += kTickMs;
    Guard([&] { loop_->StepTick(virtual_ms_); });
  }
}

void WebGame::StepFrame() {
  Guard([&] { loop_->StepFrame(virtual_ms_); });
}

void WebGame::TicksUntil(const std::string& handler, int limit) {
  auto at = [&] { return handler == scenario::WaitHandlerName(form_->view().scn.MainProc); };
  for (int i = 0; i < limit && !ended_ && !at(); ++i) StepTicks(1);
}

std::string WebGame::StateJson() const {
  if (!form_) return "{}";
  return GameStateJson(form_->view(), test_media_, nullptr);
}

std::string WebGame::ControlRect(const std::string& name) {
  if (!form_) return {};
  const Control* c = form_->panels().Find(name);
  if (c == nullptr || !c->shown()) return {};
  const Rect r = menus::WindowRect(*c);
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

}  // namespace velmor::main
