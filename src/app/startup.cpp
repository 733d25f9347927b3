// Start-up: the data folder, the screen bitmaps, the sound probe, the first
// scenario, the settings of slot 0, the display and the message window.
#include <algorithm>

#include "app/form.h"
#include "core/errors.h"
#include "core/sjis.h"
#include "menus/message_boxes.h"
#include "platform/files.h"

#ifndef VELMOR_SYSCONFDIR
#define VELMOR_SYSCONFDIR "/etc"
#endif

namespace velmor::app {

namespace {

constexpr const char* kIniFile = "BRANNIC.INI";

// A folder as the game uses it: Shift-JIS, ending in a separator. Folder names
// given on this platform are UTF-8.
ByteString GameFolder(const std::string& native) {
  std::string sjis = Utf8ToSjis(native);
  if (!sjis.empty() && sjis.back() != '/' && sjis.back() != '\\') sjis.push_back('/');
  return ByteString(sjis);
}

// An INI value is Shift-JIS on the original's systems; one written on this
// platform is UTF-8. A value that is valid UTF-8 beyond ASCII is taken as such.
std::string IniValueAsSjis(const std::string& value) {
  bool ascii = std::all_of(value.begin(), value.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return value;
  bool lossy = false;
  std::string sjis = Utf8ToSjis(value, &lossy);
  return lossy ? value : sjis;
}

}  // namespace

std::optional<int> TForm1::ReadDataFolder() {
  if (!options.data_folder.empty()) {
    DatPath = GameFolder(options.data_folder);
    return std::nullopt;
  }
  // The INI file is looked up by its bare name in the system configuration
  // folder (or where --ini says); a missing file or key reads as "x".
  std::string ini = options.ini_file.empty() ? std::string(VELMOR_SYSCONFDIR) + "/" + kIniFile
                                             : options.ini_file;
  std::string value = "x";
  if (auto text = platform.files.ReadFile(Utf8ToSjis(ini), nullptr)) {
    std::string_view bytes(reinterpret_cast<const char*>(text->data()), text->size());
    if (auto v = platform::ReadIniValue(bytes, "Velmor", "DatPath")) value = IniValueAsSjis(*v);
  }
  DatPath = ByteString(value);
  if (DatPath == std::string_view("x")) {
    menus::ShowMessageBox(dialogs, menus::kStartProperly);
    return 0;
  }
  return std::nullopt;
}

void TForm1::ChooseSlotFolder() {
  // Slot files live in the program's folder, as the game expects; an
  // installed program's folder is not writable, so they go to the user's
  // data folder then. --slots overrides both.
  if (!options.slot_folder.empty())
    SlotPath = GameFolder(options.slot_folder);
  else if (!options.user_data_folder.empty() && !platform.files.IsWritableFolder(ExePath.view()))
    SlotPath = GameFolder(options.user_data_folder);
  else
    SlotPath = ExePath;
}

void TForm1::LoadStartupBitmaps() {
  using graphics::BMPDIR;
  loader.Load(layers.TMP, BMPDIR, "KURO.BMP");
  loader.Load(layers.CLS, BMPDIR, "MESH.BMP");
  loader.Load(layers.SP0, BMPDIR, "_CGBK.BMP");
  loader.Load(layers.MS0, BMPDIR, "_CGBK.BMP");
  loader.Load(layers.SP1, BMPDIR, "CHU.BMP");
  loader.Load(layers.IMG, BMPDIR, "KURO.BMP");
  loader.Load(layers.BMP, BMPDIR, "KURO.BMP");
}

std::optional<int> TForm1::FormCreate() {
  ExePath = GameFolder(options.program_folder);
  if (auto exit_code = ReadDataFolder()) return exit_code;
  ChooseSlotFolder();

  try {
    LoadStartupBitmaps();
    layers.IMG.palette = layers.TMP.palette;
    music.Probe();
  } catch (const GameError& e) {
    // Without these files the game cannot start: say which, then end.
    ReportError(Sjis("起動に必要なファイルを読み込めません。").str() + "\n" + e.message());
    QuitNow();
  }
  scn.LoadScenario("INIT");
  try {
    saves.LoadSlot(0);
  } catch (const GameError& e) {
    // A preference of slot 0 that cannot take effect (a missing cursor file)
    // is reported; the game starts all the same.
    ReportError(e.message());
  }

  scaling.CentreAtOwnSize();
  // A scale restored from slot 0 takes effect at once (the window is painted
  // when it first shows, so no wallpaper is drawn here).
  if (panels.ResoSpin.value != 100) {
    int32_t w = panels.ResoSpin.value * 640 / 100;
    scaling.SetDisplaySize(w, w * 75 / 100);
  }

  layers.font = platform::TextStyle{-16, kBlack};
  try {
    Bitmap frame;
    loader.Load(frame, graphics::BMPDIR, "WK00.BMP");
    msgwin.SetUp(frame);
  } catch (const GameError& e) {
    ReportError(Sjis("起動に必要なファイルを読み込めません。").str() + "\n" + e.message());
    QuitNow();
  }
  platform::HideSystemPointer(platform.window);
  scn.MainProc = scenario::WaitHandler::None;
  invalid = true;  // the window is painted when it first shows
  started = true;
  return std::nullopt;
}

}  // namespace velmor::app
