// Start-up: the data folder, the screen bitmaps, the sound probe, the first
// scenario, the settings of slot 0, the display and the message window.
#include <algorithm>
#include <array>

#include "app/data_folder_setting.h"
#include "app/form.h"
#include "app/slot_place.h"
#include "core/errors.h"
#include "core/game_path.h"
#include "core/sjis.h"
#include "core/texts.h"
#include "formats/ini.h"
#include "menus/message_boxes.h"
#include "platform/files.h"

namespace velmor::app {

namespace {

// The data folder an INI file names. One written on this system is UTF-8;
// one brought from the original's systems is Shift-JIS with "\" between
// folders. Both become the system's path.
std::string IniFolder(const std::string& value) {
  if (IsValidUtf8(value)) {
    std::string path = value;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
  }
  return GamePath("", value);
}

}  // namespace

std::string TForm1::IniFilePath() {
  // Looked up by its bare name in the system configuration folder, unless
  // --ini names another or the player chose a folder of their own.
  return FindDataFolderSetting(platform.files, {options.data_folder, options.ini_file,
                                                options.player_ini_file, SystemIniPath()})
      .ini;
}

std::optional<int> TForm1::ReadDataFolder() {
  if (!options.data_folder.empty()) {
    DatPath = FolderWithSeparator(options.data_folder);
    return std::nullopt;
  }
  // A missing file or key reads as "x".
  const std::string ini = IniFilePath();
  std::string value = "x";
  std::string read_error;
  // Mended: the whole file was read, however large, before its one value
  // was looked for.
  uint64_t size = 0;
  if (auto text = platform.files.ReadFilePart(ini, formats::kMaxIniFile, false, &size,
                                              &read_error)) {
    std::string_view bytes(reinterpret_cast<const char*>(text->data()), text->size());
    // A line the cut runs through is not read: its value would be cut too.
    if (size > bytes.size()) bytes = bytes.substr(0, bytes.find_last_of("\r\n") + 1);
    std::string problem;
    if (auto v = formats::ReadIniValue(bytes, "Velmor", "DatPath", &problem)) value = *v;
    if (problem.empty() && value == "x" && size > formats::kMaxIniFile)
      problem = Fill(Tr("only its first %s bytes of %s are read"),
                     {std::to_string(formats::kMaxIniFile), std::to_string(size)});
    if (!problem.empty()) read_error = ini + ": " + problem;
  }
  if (value == "x") {
    startup_failure_ = Fill(
        Tr("no data folder: %s. Write the data folder there as DatPath=/path/to/the/data/ under "
           "[Velmor], or start with --data DIR."),
        {read_error.empty() ? Fill(Tr("%s has no DatPath in its [Velmor] section"), {ini})
                            : Fill(Tr("cannot read %s"), {read_error})});
    // The program ends once the box is answered.
    menus::ShowMessageBox(dialogs, menus::kStartProperly);
    return 1;
  }
  // The game uses the folder as a plain prefix; a value without the final
  // separator is taken as the folder it names.
  DatPath = FolderWithSeparator(IniFolder(value));
  return std::nullopt;
}

std::string TForm1::DataFolderAdvice() {
  const std::string shown = DatPath.empty() ? std::string(Tr("the current folder")) : DatPath;
  const std::string source =
      options.data_folder.empty()
          ? Fill(Tr("DatPath in the [Velmor] section of %s; --data DIR uses another folder"),
                 {IniFilePath()})
          : std::string(Tr("given by --data"));
  if (!DatPath.empty() && !platform.files.Exists(DatPath))
    return Fill(Tr("The data folder %s does not exist (%s)."), {shown, source});
  static constexpr std::array<const char*, 4> kGameFolders{"CG", "CURSOR", "SNX", "SOUND"};
  bool any = std::any_of(kGameFolders.begin(), kGameFolders.end(), [this](const char* f) {
    return platform.files.Exists(GamePath(DatPath, f));
  });
  if (!any)
    return Fill(Tr("The data folder %s does not look like a game's data folder: it holds no CG, "
                   "CURSOR, SNX or SOUND folder (%s)."),
                {shown, source});
  return Fill(Tr("The data folder is %s (%s)."), {shown, source});
}

void TForm1::FailStartup(const GameError& e) {
  // Without these files the game cannot start: say which, then end once
  // the box is answered.
  // Mended: the original showed the system's error and was left half
  // started, with no scenario and the timer off.
  startup_failure_ = Fill(Tr("cannot start: %s. %s"),
                          {e.detail().empty() ? SjisToUtf8(e.message()) : e.detail(), DataFolderAdvice()});
  dialogs.ShowMessageBox(GameSentence(GameText("起動に必要なファイルを読み込めません。\n%s"), {e.message()}),
                         platform::MessageKind::Failure, platform::Buttons::Ok,
                         [this](platform::Answer) { QuitNow(); });
  throw AwaitingAnswer{};
}

void TForm1::ChooseSlotFolder() {
  // Slot files live in the program's folder, as the game expects, when it is
  // a portable copy; an installed program keeps them in the user's data
  // folder, and offers once to copy the ones it finds beside itself.
  // --slots overrides both. (Run as root, an installed program's folder can
  // be written: being writable does not make it the player's.)
  SlotPath = ChooseSlotPlace(platform.files, options.slot_folder, ExePath,
                             options.user_data_folder);
  if (options.slot_folder.empty() && SlotPath != ExePath)
    OfferOldSlots(platform.files, dialogs, ExePath, SlotPath);
  MakeSlotFolder(platform.files, dialogs, SlotPath);
  // A save the program was killed in the middle of left its temporary file;
  // the slot itself is whole (the old one or the new one).
  platform.files.RemoveUnfinishedWrites(SlotPath);
}

void TForm1::LoadStartupBitmaps() {
  using graphics::BMPDIR;
  // In the game's order; a file loaded again is the same picture, copied
  // rather than decoded again.
  loader.Load(layers.TMP, BMPDIR, "KURO.BMP");
  loader.Load(layers.CLS, BMPDIR, "MESH.BMP");
  loader.Load(layers.SP0, BMPDIR, "_CGBK.BMP");
  layers.MS0 = layers.SP0;
  loader.Load(layers.SP1, BMPDIR, "CHU.BMP");
  layers.IMG = layers.TMP;
  layers.ImageDrawn(layers.IMG.bounds());
  layers.BMP = layers.TMP;
  layers.BackDrawn(layers.BMP.bounds());
}

std::optional<int> TForm1::FormCreate() {
  try {
    try {
      return StartUp();
    } catch (const GameError& e) {
      FailStartup(e);  // a failure no step of start-up expected
    }
  } catch (const QuitSignal&) {
    NoteFailedScenario();
    throw;
  } catch (const AwaitingAnswer&) {
    // A box ends the game once it is answered.
    NoteFailedScenario();
    throw;
  }
}

void TForm1::NoteFailedScenario() {
  // A scenario file start-up could not load ends the game.
  if (startup_failure_.empty())
    startup_failure_ = Fill(Tr("cannot start: %s. %s"),
                            {scn.FailedFile().empty() ? std::string(Tr("the game ended while starting"))
                                                      : scn.FailedFile(),
                             DataFolderAdvice()});
}

std::optional<int> TForm1::StartUp() {
  ExePath = FolderWithSeparator(options.program_folder);
  if (auto exit_code = ReadDataFolder()) return exit_code;
  ChooseSlotFolder();
  reader.Load();

  try {
    LoadStartupBitmaps();
    layers.IMG.palette = layers.TMP.palette;
    music.Probe();
  } catch (const GameError& e) {
    FailStartup(e);
  }
  scn.LoadScenario("INIT");
  saves.LoadSlot(0);

  scaling.CentreAtOwnSize();
  // A scale restored from slot 0 takes effect at once (the window is painted
  // when it first shows, so no wallpaper is drawn here).
  if (panels_.ResoSpin.value != 100) {
    int32_t w = panels_.ResoSpin.value * 640 / 100;
    scaling.SetDisplaySize(w, w * 75 / 100);
  }

  layers.font = platform::TextStyle{-16, kBlack};
  try {
    Bitmap frame;
    loader.Load(frame, graphics::BMPDIR, "WK00.BMP");
    msgwin.SetUp(frame);
  } catch (const GameError& e) {
    FailStartup(e);
  }
  platform::HideSystemPointer(platform.window);
  scn.MainProc = scenario::WaitHandler::None;
  invalid = true;  // the window is painted when it first shows
  started_ = true;
  return std::nullopt;
}

}  // namespace velmor::app
