// The real front end: the game in a window of its own, with sound, panels
// and message boxes, its session driven by SDL's loop.
#include <cstdio>
#include <chrono>
#include <cmath>
#include <future>
#include <memory>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/data_folder_setting.h"
#include "app/form.h"
#include "core/errors.h"
#include "core/texts.h"
#include "language/source_labels.h"
#include "main/cli.h"
#include "main/first_start_sdl.h"
#include "main/sdl_loop.h"
#include "platform/sdl/sdl_media_player.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_window.h"
#if defined(VELMOR_HAVE_X11)
#include "platform/shared/compose_cache.h"
#include "platform/shared/deflate_compressor.h"
#endif
#include "platform/shared/environment.h"
#include "platform/shared/bitmap_font_files.h"
#include "platform/shared/font_finder.h"
#include "platform/shared/mapped_file.h"
#include "platform/shared/os_files.h"
#include "platform/shared/startup_heap.h"
#include "platform/shared/ttf_font.h"
#include "text/bitmap_face.h"
#include "session/first_start.h"
#include "session/session.h"
#include "ui/first_start_texts.h"
#include "ui/ui_layer.h"

namespace velmor::main {

namespace {

// One line on standard error, after the program's name.
void Say(const std::string& line) { std::fprintf(stderr, "velmor: %s\n", line.c_str()); }

// The main window's caption.
constexpr const char* kCaption = "　『　Velmor　』 ";

// With VELMOR_FRAME_STATS set, what drawing the window cost, on stderr at
// the end.
void PrintFrameStats(const platform::sdl::SdlWindow& window, const SdlLoop& loop) {
  if (std::getenv("VELMOR_FRAME_STATS") == nullptr) return;
  const platform::sdl::FrameStats& s = window.stats();
  auto count = [](uint64_t n) { return std::to_string(n); };
  auto ms = [](uint64_t us, uint64_t times) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f",
                  times ? static_cast<double>(us) / 1000.0 / static_cast<double>(times) : 0.0);
    return std::string(text);
  };
  Say(Fill(Tr("%s ticks, %s presentations (%s changed, %s ms each to compare and copy), %s frames "
              "drawn (%s ms each), %s window pixels sent"),
           {count(loop.Ticks()), count(s.presentations), count(s.changed),
            ms(s.upload_us, s.presentations), count(s.renders), ms(s.render_us, s.renders),
            count(window.PixelsSent())}));
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
void OpenDebugger(session::Session& session, const std::vector<std::string>& breaks) {
  session.ShowDebugger(true);
  for (const std::string& where : breaks) {
    std::string why;
    if (!session.EnableDebugger().AddBreakpoint(where, &why))
      Say(Fill(Tr("--break %s: %s"), {where, why}));
  }
}

// The first ticks draw the first scene and type its first characters, still
// on the start-up heap; then its passing files and pictures are given back
// to the system.
void EndStartupHeapAfterFirstTicks(const SdlLoop& loop, platform::StartupHeap& heap) {
  constexpr uint64_t kStartupTicks = 5;
  if (loop.Ticks() >= kStartupTicks) heap.End();
}

struct Services {
  platform::sdl::SdlWindow& window;
  ui::UiLayer& ui;
  platform::Font& font;
  platform::Files& files;
  platform::sdl::SdlMediaPlayer& media;
};

// How a game ended: its exit code, and why it could not start (empty when
// it did).
struct GameEnd {
  int exit_code = 0;
  std::string startup_failure;
};

GameEnd RunGame(const CommandLine& cli, const Services& s, const Clock& since_start,
                platform::StartupHeap& startup_heap) {
  platform::sdl::SdlClock clock;
  session::BoxStack boxes;
  app::StartOptions options;
  options.program_folder = ProgramFolder();
  options.data_folder = cli.data_folder;
  options.ini_file = cli.ini_file;
  options.slot_folder = cli.slot_folder;
  options.user_data_folder = UserDataFolder();
  options.trace = cli.trace;
  options.warn = cli.warn;
  options.player_ini_file = PlayerIniFile();
  app::TForm1 form(app::Platform{s.files, s.window, boxes, s.media, s.font, clock, platform::Deflate()}, options);
  // The reader's own settings, from their file (a damaged one is said once).
  app::ReaderSettingsFile settings_file(
      s.files, app::ReaderSettingsPathFrom(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
  std::string settings_report;
  form.ApplyReaderSettings(settings_file.Load(&settings_report));
  if (!settings_report.empty()) std::fprintf(stderr, "velmor: %s\n", settings_report.c_str());
  session::Session session(form, boxes);
  session.SetReaderSettingsFile(&settings_file);
  session.SetLabelAssembler(language::AssembleLabels);
  session.tell = [](const std::string& line) { std::fprintf(stderr, "velmor: %s\n", line.c_str()); };
  SdlLoop loop(s.window, s.ui, session);
  bool failure_told = false;
  try {
    if (std::optional<int> exit_code = session.StartGame()) {
      // Said first: the box that says it too may wait for an answer (and
      // end in a signal, or the quit its answer runs).
      std::fprintf(stderr, "velmor: %s\n", form.startup_failure().c_str());
      failure_told = true;
      loop.RunWhileBoxesOpen();
      return {*exit_code, form.startup_failure()};
    }
    if (cli.debug) OpenDebugger(session, cli.breaks);
    loop.Start();
    if (!settings_report.empty()) session.ShowNotice(settings_report);
    if (cli.verbose)
      Say(Fill(Tr("first frame %s ms after start"), {std::to_string(std::lround(since_start.Ms()))}));
    for (;;) {
      loop.Pass();
      EndStartupHeapAfterFirstTicks(loop, startup_heap);
    }
  } catch (const QuitSignal&) {
    // The game has shut down; after a failed start-up, say why.
    PrintFrameStats(s.window, loop);
    if (!form.startup_failure().empty()) {
      if (!failure_told) std::fprintf(stderr, "velmor: %s\n", form.startup_failure().c_str());
      return {1, form.startup_failure()};
    }
  }
  return {};
}

// The player's choice at the first start put into the command line the game
// runs with: the demo, or the folder they chose (remembered for them, so the
// game reads it from their INI file as the next start will). False when
// they chose to quit.
bool TakeFirstStartChoice(const session::FirstStartChoice& choice, const CommandLine& cli,
                          const Services& s, CommandLine& game) {
  game = cli;
  std::string error;
  switch (choice.kind) {
    case session::FirstStartChoice::Kind::Quit: return false;
    case session::FirstStartChoice::Kind::Demo:
      if (UseDemo(game, &error)) return true;
      std::fprintf(stderr, "velmor: %s\n", error.c_str());
      return false;
    case session::FirstStartChoice::Kind::Folder: break;
  }
  const bool remembered = app::RememberDataFolder(s.files, PlayerIniFile(), choice.folder, &error);
  if (!remembered)
    Say(Fill(Tr("the data folder %s is used this time but cannot be remembered: %s"),
             {choice.folder, error}));
  else
    Say(Fill(Tr("the data folder %s is remembered in %s"), {choice.folder, PlayerIniFile()}));
  // An INI file named on the command line comes before the player's own.
  if (!remembered || !cli.ini_file.empty()) game.data_folder = choice.folder;
  return true;
}

// Offers the first start (with why the last start failed, if one did) and
// takes the player's choice into `game`. False when they chose to quit.
bool OfferFirstStart(const CommandLine& cli, const Services& s, const std::string& failure,
                     CommandLine& game) {
  std::string looked_in;
  const bool demo = !DemoFolder(&looked_in).empty();
  const std::string home = HomeFolder();
  session::FirstStart first(s.files, ListFoldersOnDisk, home.empty() ? "/" : home, demo, failure);
  const ui::FirstStartTexts texts = ui::FirstStartTextsNow();
  return TakeFirstStartChoice(RunFirstStart(s.window, s.ui, first, texts, PlayerIniFile(), home),
                              cli, s, game);
}

// The game, and before it the first start when no data folder is set
// anywhere. A start that fails with a folder the command line did not give
// (a menu launch) offers the choice again, with the reason, instead of
// leaving the player with nothing.
int PlayFromWhereTheDataIs(const CommandLine& cli, const Services& s, const Clock& since_start,
                           platform::StartupHeap& startup_heap) {
  const bool given = !cli.data_folder.empty();  // --data, or --demo
  const app::DataFolderSetting setting = app::FindDataFolderSetting(
      s.files, {cli.data_folder, cli.ini_file, PlayerIniFile(), app::SystemIniPath()});
  bool offer = setting.from == app::DataFolderFrom::Nowhere;
  if (offer)
    Say(Fill(Tr("no data folder is set (neither %s nor %s exists): choose one in the window, or "
                "start with --data DIR or --demo"),
             {PlayerIniFile(), setting.ini}));
  CommandLine game = cli;
  std::string failure;
  for (;;) {
    if (offer && !OfferFirstStart(cli, s, failure, game)) return failure.empty() ? 0 : 1;
    const GameEnd end = RunGame(game, s, since_start, startup_heap);
    if (end.startup_failure.empty() || given || platform::sdl::QuitSignalled())
      return end.exit_code;
    failure = end.startup_failure;
    offer = true;
  }
}

// The game's face, found and opened; without one, `faces.pgothic` says why.
struct FoundFont {
  platform::FontFaces faces;
  std::unique_ptr<platform::TtfFont> font;
  // The 16-dot bitmap face, or why there is none.
  std::optional<platform::BitmapFonts> bitmaps;
  std::string no_bitmaps;
};

platform::sdl::RendererChoice RendererOf(const std::string& name) {
  using platform::sdl::RendererChoice;
  if (name == "software") return RendererChoice::Software;
  if (name == "accelerated") return RendererChoice::Accelerated;
  return RendererChoice::Auto;
}

// The font is looked for and opened while SDL starts, and the bitmap face
// read.
std::future<FoundFont> FindFontsMeanwhile(const CommandLine& cli) {
  return std::async(std::launch::async, [&cli, folders = BitmapFontFoldersHere()] {
    std::string why;
    auto faces = platform::FindFontFaces(cli.font, &why);
    if (!faces) return FoundFont{platform::FontFaces{"", why}, nullptr, std::nullopt, ""};
    FoundFont out{*faces, std::make_unique<platform::TtfFont>(faces->gothic), std::nullopt, ""};
    platform::OsFiles bitmap_files;
    out.bitmaps = platform::LoadBitmapFonts(bitmap_files, folders, &out.no_bitmaps);
    return out;
  });
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
  platform::SetEnvironmentDefault("DBUS_SESSION_BUS_ADDRESS", "disabled:");
#if defined(VELMOR_HAVE_X11)
  // The X input method's compose table, read once a day, not at every start.
  platform::UseComposeCache();
#endif
  std::future<FoundFont> found = FindFontsMeanwhile(cli);
  // The sound starts first: its SoundFont loads while the display starts,
  // the window opens and the start-up pictures load.
  platform::OsFiles files;
  platform::sdl::SdlMediaPlayer media(files, cli.soundfont);
  platform::sdl::SdlSystem sdl;
  std::string error;
  if (!sdl.Init(&error)) {
    found.wait();
    Say(Tr("no display: try --headless"));
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
    Say(Fill(Tr("font %s"), {faces.gothic}));
    Say(Fill(Tr("presenting through %s"), {window.PresenterName()}));
  }
  // The panels' faces: the game's, and its proportional sibling.
  platform::MappedFile gothic, pgothic;
  if (!gothic.Map(faces.gothic.c_str()))
    Say(Fill(Tr("cannot read the font %s"), {faces.gothic}));
  pgothic.Map(faces.pgothic.c_str());
  ui::UiLayer ui(gothic.bytes(), pgothic.bytes());
  // The 16-pixel text from the 16-dot bitmap face, when the system has it.
  text::BitmapFace face(font);
  std::string& no_bitmaps = found_font.no_bitmaps;
  if (std::optional<platform::BitmapFonts>& bitmaps = found_font.bitmaps)
    face.SetBitmaps(std::move(bitmaps->full_width), std::move(bitmaps->half_width), &no_bitmaps);
  if (!face.has_bitmaps())
    Say(text::OutlineFaceLine(no_bitmaps));
  return PlayFromWhereTheDataIs(cli, Services{window, ui, face, files, media}, since_start,
                                startup_heap);
}

}  // namespace velmor::main
