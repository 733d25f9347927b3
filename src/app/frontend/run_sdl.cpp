// The real front end: the game in a window of its own, with sound, panels
// and message boxes, driven by the platform's 20 ms loop.
#include <cstdio>
#include <chrono>
#include <future>
#include <memory>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/form.h"
#include "app/frontend/cli.h"
#include "asm/source_labels.h"
#include "core/errors.h"
#include "platform/sdl/front_end.h"
#include "platform/sdl/imgui_layer.h"
#include "platform/sdl/sdl_media_player.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_window.h"
#include "platform/shared/compose_cache.h"
#include "platform/shared/font_finder.h"
#include "platform/shared/os_files.h"
#include "platform/shared/startup_heap.h"
#include "platform/shared/ttf_font.h"

namespace velmor::app {

namespace {

// The main window's caption.
constexpr const char* kCaption = "　『　Velmor　』 ";

using platform::sdl::PointerButton;

// The loop's view of the game: each event goes to the main window's handler.
class FormEvents : public platform::sdl::GameEvents {
 public:
  FormEvents(TForm1& form, ReaderSettingsFile& settings_file, platform::StartupHeap& startup_heap)
      : form_(form), settings_file_(settings_file), startup_heap_(startup_heap) {}

  void TimerTimer() override {
    form_.TimerTimer();
    // The first ticks draw the first scene and type its first characters,
    // still on the start-up heap; then its passing files and pictures are
    // given back to the system.
    if (++ticks_ == kStartupTicks) startup_heap_.End();
  }
  std::optional<uint32_t> IdleFor() override { return form_.IdleFor(); }
  void PaintIfInvalid() override { form_.PaintIfInvalid(); }
  void MouseDown(PointerButton button) override {
    form_.FormMouseDown(button == PointerButton::Left     ? MouseButton::Left
                        : button == PointerButton::Right  ? MouseButton::Right
                        : button == PointerButton::Middle ? MouseButton::Middle
                                                          : MouseButton::Other);
  }
  void MouseUp() override { form_.FormMouseUp(); }
  void KeyDown(Modifiers held) override { form_.FormKeyDown(held); }
  void KeyUp() override { form_.FormKeyUp(); }
  void ReaderKey(velmor::ReaderKey key) override { form_.FormReaderKey(key); }
  void MouseWheel(WheelTurn turn) override { form_.FormMouseWheel(turn); }
  void CloseQuery() override { form_.FormCloseQuery(); }
  [[noreturn]] void QuitNow() override { form_.QuitNow(); }
  void DisplayResized() override { form_.FormResize(); }
  void ReportError(const std::string& text) override {
    form_.dialogs.ShowMessageBox(text, platform::MessageKind::Failure, platform::Buttons::Ok);
  }
  menus::Panels& Panels() override { return form_.panels; }
  Bitmap ScreenPicture() override { return form_.ScreenPicture(); }
  std::string ReaderIndicator() override { return form_.ReaderIndicator(); }
  ReaderSettings CurrentReaderSettings() override { return form_.reader_settings(); }
  std::string ReaderSettingsChanged(const ReaderSettings& settings, bool keep) override {
    form_.ApplyReaderSettings(settings);
    std::string error;
    if (!keep || settings_file_.Save(form_.reader_settings(), &error)) return {};
    std::fprintf(stderr, "velmor: the reader settings could not be kept: %s\n", error.c_str());
    return "The settings could not be kept: " + error;
  }
  app::Debugger* Debugger() override { return form_.debugger.get(); }
  app::Debugger* EnableDebugger() override {
    if (!form_.debugger) form_.EnableDebugger().SetLabelAssembler(assembly::DebuggerLabels());
    return form_.debugger.get();
  }

 private:
  static constexpr int kStartupTicks = 5;
  TForm1& form_;
  ReaderSettingsFile& settings_file_;
  platform::StartupHeap& startup_heap_;
  int ticks_ = 0;
};

// With VELMOR_FRAME_STATS set, what drawing the window cost, on stderr at
// the end.
void PrintFrameStats(const platform::sdl::SdlWindow& window,
                     const platform::sdl::SdlFrontEnd& front) {
  if (std::getenv("VELMOR_FRAME_STATS") == nullptr) return;
  const platform::sdl::FrameStats& s = window.stats();
  std::fprintf(stderr,
               "velmor: %llu ticks, %llu presentations (%llu changed, %.3f ms each to compare "
               "and copy), %llu frames drawn (%.3f ms each), %llu window pixels sent\n",
               static_cast<unsigned long long>(front.Ticks()),
               static_cast<unsigned long long>(s.presentations),
               static_cast<unsigned long long>(s.changed),
               s.presentations ? s.upload_us / 1000.0 / static_cast<double>(s.presentations) : 0.0,
               static_cast<unsigned long long>(s.renders),
               s.renders ? s.render_us / 1000.0 / static_cast<double>(s.renders) : 0.0,
               static_cast<unsigned long long>(window.PixelsSent()));
}

// Milliseconds since the front end began (for --verbose).
class Clock {
 public:
  double Ms() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
        .count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// --debug and --break: the debugger's window, with the breakpoints of the
// command line (one that cannot be set is told on standard error).
void OpenDebugger(FormEvents& events, platform::sdl::SdlFrontEnd& front,
                  const std::vector<std::string>& breaks) {
  front.ShowDebugger(true);
  for (const std::string& where : breaks) {
    std::string why;
    if (!events.EnableDebugger()->AddBreakpoint(where, &why))
      std::fprintf(stderr, "velmor: --break %s: %s\n", where.c_str(), why.c_str());
  }
}

int RunGame(const CommandLine& cli, platform::sdl::SdlWindow& window,
            platform::sdl::SdlFrontEnd& front, platform::Font& font, platform::Files& files,
            platform::sdl::SdlMediaPlayer& media, const Clock& since_start,
            platform::StartupHeap& startup_heap) {
  platform::sdl::SdlDialogs dialogs(front);
  platform::sdl::SdlClock clock;

  StartOptions options;
  options.program_folder = ProgramFolder();
  options.data_folder = cli.data_folder;
  options.ini_file = cli.ini_file;
  options.slot_folder = cli.slot_folder;
  options.user_data_folder = UserDataFolder();
  options.trace = cli.trace;
  options.warn = cli.warn;
  TForm1 form(Platform{files, window, dialogs, media, font, clock}, options);
  // The reader's own settings, from their file (a damaged one is said once).
  ReaderSettingsFile settings_file(
      files, ReaderSettingsPathFrom(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
  std::string settings_report;
  form.ApplyReaderSettings(settings_file.Load(&settings_report));
  if (!settings_report.empty()) std::fprintf(stderr, "velmor: %s\n", settings_report.c_str());
  FormEvents events(form, settings_file, startup_heap);
  front.Attach(events);
  try {
    std::optional<int> exit_code = form.FormCreate();
    if (exit_code) {
      std::fprintf(stderr, "velmor: %s\n", form.startup_failure.c_str());
      return *exit_code;
    }
    if (cli.debug) OpenDebugger(events, front, cli.breaks);
    front.Start();
    if (!settings_report.empty()) front.ShowNotice(settings_report);
    if (cli.verbose) std::fprintf(stderr, "velmor: first frame %.0f ms after start\n", since_start.Ms());
    front.Run();
  } catch (const QuitSignal&) {
    // The game has shut down; after a failed start-up, say why.
    if (!form.startup_failure.empty()) {
      std::fprintf(stderr, "velmor: %s\n", form.startup_failure.c_str());
      return 1;
    }
  }
  return 0;
}

// The game's face, found and opened; without one, `faces.pgothic` says why.
struct FoundFont {
  platform::FontFaces faces;
  std::unique_ptr<platform::TtfFont> font;
};

platform::sdl::RendererChoice RendererOf(const std::string& name) {
  using platform::sdl::RendererChoice;
  if (name == "software") return RendererChoice::Software;
  if (name == "accelerated") return RendererChoice::Accelerated;
  return RendererChoice::Auto;
}

}  // namespace

int RunSdl(const CommandLine& cli) {
  const Clock since_start;
  const platform::sdl::SdlShutdown last;  // after every other local here
  platform::StartupHeap startup_heap;
  platform::sdl::InstallQuitSignals();
  // Without a session bus the system's D-Bus library would start one of its
  // own when SDL asks for it (tens of milliseconds, and a daemon left
  // behind): the program does without one.
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
  // The X input method's compose table, read once a day, not at every start.
  platform::UseComposeCache();
  // The font is looked for and opened while SDL starts.
  std::future<FoundFont> found = std::async(std::launch::async, [&cli] {
    std::string why;
    auto faces = platform::FindFontFaces(cli.font, &why);
    if (!faces) return FoundFont{platform::FontFaces{"", why}, nullptr};
    return FoundFont{*faces, std::make_unique<platform::TtfFont>(faces->gothic)};
  });
  // The sound starts first: its SoundFont loads while the display starts,
  // the window opens and the start-up pictures load.
  platform::OsFiles files;
  platform::sdl::SdlMediaPlayer media(files, cli.soundfont);
  platform::sdl::SdlSystem sdl;
  std::string error;
  if (!sdl.Init(&error)) {
    found.wait();
    std::fputs("velmor: no display: try --headless\n", stderr);
    return 1;
  }

  // Without a face with the game's characters every text would be empty
  // cells: that is a failed start, said plainly.
  FoundFont found_font = found.get();
  const platform::FontFaces& faces = found_font.faces;
  if (faces.gothic.empty()) {
    std::fprintf(stderr, "velmor: %s\n", faces.pgothic.c_str());
    return 1;
  }
  platform::TtfFont& font = *found_font.font;
  if (!font.ok()) {
    std::fprintf(stderr, "velmor: %s\n", font.error().c_str());
    return 1;
  }

  platform::sdl::SdlWindow window(font);
  platform::sdl::WindowOptions window_options;
  window_options.windowed = cli.window;
  window_options.title = kCaption;
  window_options.renderer = RendererOf(cli.renderer);
  if (!window.Open(window_options, &error)) {
    std::fprintf(stderr, "velmor: %s\n", error.c_str());
    return 1;
  }
  if (cli.verbose) {
    std::fprintf(stderr, "velmor: font %s\n", faces.gothic.c_str());
    std::fprintf(stderr, "velmor: presenting through %s\n", window.PresenterName().c_str());
  }
  platform::sdl::ImGuiLayer ui(window.sdl_window(), window.renderer(), faces);
  if (!ui.fonts_ok()) std::fprintf(stderr, "velmor: %s\n", ui.error().c_str());
  platform::sdl::SdlFrontEnd front(window, ui);

  int exit_code = RunGame(cli, window, front, font, files, media, since_start, startup_heap);
  PrintFrameStats(window, front);
  return exit_code;
}

}  // namespace velmor::app
