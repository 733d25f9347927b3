// The main window of the game, TForm1: start-up, the 20 ms tick, the input
// handlers, repaint and quitting. It owns the whole game state (every
// subsystem) and wires the subsystems to each other and to the platform.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/backlog_window.h"
#include "app/debugger.h"
#include "app/own_saves.h"
#include "app/reader_modes.h"
#include "app/reader_settings.h"
#include "app/run_warnings.h"
#include "app/save_screen.h"
#include "core/byte_string.h"
#include "core/input_events.h"
#include "core/input_state.h"
#include "graphics/animation.h"
#include "graphics/cursors.h"
#include "graphics/display_scaling.h"
#include "graphics/hit_map.h"
#include "graphics/layers.h"
#include "graphics/picture_change.h"
#include "core/errors.h"
#include "formats/compressor.h"
#include "formats/snapshot_file.h"
#include "menus/config_panel.h"
#include "menus/message_boxes.h"
#include "menus/name_panel.h"
#include "menus/panels.h"
#include "menus/save_panel.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/font.h"
#include "platform/media_player.h"
#include "platform/window.h"
#include "scenario/scenario.h"
#include "sound/music.h"
#include "text/choices.h"
#include "text/message_window.h"
#include "text/backlog.h"
#include "text/status_display.h"

namespace velmor::testing {
struct FormInternals;
}  // namespace velmor::testing

namespace velmor::app {

using menus::Panels;

// The platform services the game runs on.
struct Platform {
  platform::Files& files;
  platform::Window& window;
  platform::Dialogs& dialogs;
  platform::MediaPlayer& media;
  platform::Font& font;
  platform::Clock& clock;
  const formats::Compressor& compressor;  // saves of our own, what the game keeps long in memory
};

// Where the game finds its files. Paths are the system's own, as the player
// gives them (never converted); empty means "as the game decides".
struct StartOptions {
  std::string program_folder;  // the folder of the program file
  std::string data_folder;     // --data: skip the INI file
  std::string ini_file;        // --ini: this INI file instead of the system one
  std::string slot_folder;     // --slots
  std::string user_data_folder;  // where slots go when the program folder is read-only
  bool trace = false;
  bool warn = false;  // --warn: report missing files, error boxes and runaway loops
  // The player's own INI file (a first start wrote it), read before the
  // system's one when it exists; empty: none.
  std::string player_ini_file;
};

// The dialogs as the game shows them: after a box closes, the window is
// repainted (the box uncovered it), before anything that follows the box.
class GameDialogs : public platform::Dialogs {
 public:
  GameDialogs(platform::Dialogs& inner, bool& invalid) : inner_(inner), invalid_(invalid) {}
  void ShowMessageBox(const std::string& text, platform::MessageKind kind,
                      platform::Buttons buttons, platform::OnAnswer then = nullptr) override {
    if (OnError && (kind == platform::MessageKind::Error || kind == platform::MessageKind::Failure))
      OnError(text);
    inner_.ShowMessageBox(text, kind, buttons,
                          [&invalid = invalid_, then = std::move(then)](platform::Answer a) {
                            invalid = true;
                            if (then) then(a);
                          });
  }

  // Told of each error box before it shows (its Shift-JIS text), for the
  // --warn report; none by default.
  std::function<void(const std::string& sjis_text)> OnError;

 private:
  platform::Dialogs& inner_;
  bool& invalid_;
};

class TForm1 : public scenario::ScenarioHost {
 public:
  TForm1(Platform platform, StartOptions options);
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // --- Events ---
  // Start-up. Returns the exit code when the program must end without
  // starting (no data folder setting; a box says so, and the program ends
  // once it is answered); nothing when the game runs. A file that start-up
  // cannot load is reported in a box, and the game quits (QuitSignal) when
  // it is answered: at once when the answer comes at once, else
  // AwaitingAnswer leaves start-up. Either way startup_failure then says on
  // one line what failed and how to mend it, and the program ends with exit
  // code 1.
  std::optional<int> FormCreate();
  void TimerTimer();
  // How long the ticks may rest, because until the player does something
  // they would change nothing: at a click wait, while a panel holds the
  // game, during the picture hold; no longer than until a repeating piece
  // of music ends. Nothing when the next tick must come on time.
  std::optional<uint32_t> IdleFor();
  void FormPaint();
  void FormMouseDown(MouseButton button);
  void FormMouseUp();
  void FormKeyDown(Modifiers held);
  void FormKeyUp();
  // Keys and the wheel in place of the mouse, for a player who reads with
  // the keyboard. A panel that is open has the keyboard: they do nothing.
  void FormReaderKey(ReaderKey key);
  void FormMouseWheel(WheelTurn turn);
  // The screen the window covers changed size (it went full screen or back
  // to a window, or the player resized it): the picture keeps its scale and
  // is centred again, and the window is painted.
  void FormResize();
  // A request to close the window: the quit question, which ends the
  // program when it is answered OK. False: the window stays until then.
  bool FormCloseQuery();
  // An end of the program that nobody can be asked about (a signal): quits
  // at once.
  [[noreturn]] void QuitNow();

  // The reader's own settings take effect: the music's volume, the
  // picture's filtering, auto mode's delay (brought into their ranges).
  void ApplyReaderSettings(const ReaderSettings& settings);
  const ReaderSettings& reader_settings() const { return reader_settings_; }

  // What the window's corner says: the backlog's place while it is open,
  // else the reading mode that is on (empty when none is).
  std::string ReaderIndicator() const;
  // What the window's corner is to say once: a save, a load or a step back
  // and why it could not be done; or that the oldest messages read were
  // forgotten (see ReaderModes).
  std::string TakeReaderNotice();

  // --- Saves of our own and going back (save_anywhere.cpp) ---
  // Why the game cannot be saved or kept as a step now; nothing when it can
  // (at a wait, no panel, no hold, the debugger not holding it).
  std::optional<std::string> WhyNoSnapshot() const;
  // The whole game as a snapshot: into a file (`anchors` null) or kept in
  // memory, its pictures shared with the steps before where they stayed.
  formats::Snapshot CaptureState(formats::PictureAnchors* anchors = nullptr);
  // How a restored game's music starts.
  enum class MusicOnRestore {
    // At the snapshot's place in the piece (a save loaded).
    FromItsPlace,
    // The piece already playing goes on where it is; any other starts at
    // the snapshot's place (a step back or forward).
    GoOn,
  };
  // The game as the snapshot has it; a snapshot that does not read leaves
  // the game as it was, and the reason is returned.
  std::optional<std::string> RestoreState(const formats::Snapshot& snapshot,
                                          MusicOnRestore music_on = MusicOnRestore::FromItsPlace);
  // Slot 1..kOwnSlots, or kQuickSlot. False (the corner says why) when the
  // game cannot be saved now or the file cannot be written or read.
  bool SaveOwn(int slot);
  bool LoadOwn(int slot);
  // A slot's file, read and checked (only its header with `header_only`).
  formats::FormatResult<formats::SaveFile> ReadOwnSave(int slot, bool header_only) const;
  std::string OwnSavePath(int slot) const;
  // The save/load screen of our own saves, at a wait (keys and clicks then
  // act on it; the game is held).
  void OpenSaveScreen(SaveScreen::Mode mode);
  const SaveScreen& save_screen_view() const { return save_screen; }
  // One step back through the pages read, and forward again.
  void GoBack();
  void GoForward();
  const History& history() const { return history_; }

  // The picture as the player sees it, without the drawn pointer (between
  // ticks the screen image holds the scene without it).
  Bitmap ScreenPicture() const { return layers.IMG; }

  // The front ends call this after each event: a repaint the game asked for
  // (a panel or a message box uncovered the window).
  void PaintIfInvalid();

  // A failure no handler caught, in an error box (held while a slot is
  // read).
  void ReportError(const std::string& text);

  // Panel handlers that belong to the main window.
  void EndButtonClick();

  // Turns the debugger on (once; later calls return the same one).
  Debugger& EnableDebugger();

  // Collects what --warn reports (and writes it on standard error when
  // `print`); see RunWarnings.
  void EnableWarnings(bool print);

  // The panels' models: the views draw them and the player acts on them.
  menus::Panels& panels() { return panels_; }
  // The debugger, when it is on; null otherwise.
  Debugger* debugger() { return debugger_.get(); }
  // Why start-up failed (for the terminal, in the system's text); empty
  // while it has not.
  const std::string& startup_failure() const { return startup_failure_; }
  uint64_t ticks() const { return ticks_; }
  bool started() const { return started_; }
  bool quit() const { return quit_; }

  // The whole game, to read: for the state output, the debugger's window,
  // and whoever checks the game from outside. Nothing is changed through it.
  struct View {
    const StartOptions& options;
    const std::string& ExePath;
    const std::string& DatPath;
    const std::string& SlotPath;
    const InputState& input;
    const menus::Panels& panels;
    const graphics::Layers& layers;
    const graphics::DisplayScaling& scaling;
    const scenario::Scenario& scn;
    const text::MessageWindow& msgwin;
    const text::StatusDisplay& status;
    const text::Choices& choices;
    const graphics::PictureChange& picture;
    const graphics::Cursors& cursors;
    const graphics::HitMap& hitmap;
    const graphics::Animation& animation;
    const sound::Music& music;
    const menus::SavePanelLogic& saves;
    const ReaderModes& reader;
    const text::Backlog& backlog;
    const BacklogWindow& backlog_window;
    const platform::MediaPlayer& media;
    const RunWarnings* warnings;
    const Debugger* debugger;
    uint64_t ticks;
    bool started;
    bool quit;
  };
  View view() const;

  // --- ScenarioHost ---
  void StartMessage(int speaker, const ByteString* text) override;
  void ReadChoices(uint16_t result_var, const scenario::ChoiceList& list) override;
  void ShowStatus() override;
  void SetStatusLayout(int layout) override;
  void ChangePicture(const ByteString& name) override;
  void StartAnimation(uint8_t number) override;
  void StartHitMap(uint16_t result_var, const ByteString& name, uint8_t hover,
                   uint8_t down) override;
  void RestoreCursor() override;
  void SetWhiteFill(int white) override;
  void EnableResoSpin(bool enabled) override;
  void PlayMusic(const ByteString& name) override;
  void StopMusic() override;
  void PlayMusicOnce() override;
  void OpenNamePanel(const ByteString& prompt, int given_index, int family_index) override;
  void OpenSaveMenu(int save_mode, uint16_t month_var, uint16_t day_var) override;
  void LoadSlot(int slot) override;
  void Quit() override;

 private:
  // --- State ---
  // The debugger reads and changes the scenario it holds; the tests set
  // up states a player reaches only slowly.
  friend class Debugger;
  friend struct testing::FormInternals;

  Platform platform;
  StartOptions options;
  bool invalid = false;  // a repaint is due
  GameDialogs dialogs{platform.dialogs, invalid};
  menus::ErrorReport errors{dialogs};
  std::string startup_failure_;
  // Where the pointer stood before a number key moved it onto its row.
  std::optional<Point> pointer_before_pick_;

  // Folders as the system names them (never converted), ending in "/".
  std::string ExePath;
  std::string DatPath;
  std::string SlotPath;  // the folder of the slot files

  InputState input;
  menus::Panels panels_;

  graphics::BitmapLoader loader{platform.files, DatPath};
  graphics::Layers layers{loader, platform.window};
  graphics::DisplayScaling scaling{layers, platform.window, panels_.ResoSpin};

  scenario::Scenario scn{*this,
                         scenario::ScenarioServices{platform.files, dialogs, platform.window,
                                                    platform.clock},
                         input, DatPath};

  text::MessageWindow msgwin{layers, platform.font, scn, input, panels_.SpeedSpin};
  text::StatusDisplay status{layers, platform.font, scn};
  text::Choices choices{layers, platform.font, scn, input, msgwin};

  graphics::PictureChange picture{layers, scn, input, status};
  graphics::Cursors cursors{layers, panels_.MouseSpin};
  graphics::HitMap hitmap{layers, cursors, scn, input, panels_.MouseSpin};
  graphics::Animation animation{layers, scn, input};

  sound::Music music{platform.media,
                     sound::SourceButtons{panels_.MuteBtn, panels_.WaveBtn, panels_.MidiBtn,
                                          panels_.MidiBtn2},
                     DatPath};

  std::array<Sstr, 4> defmcr;
  menus::NamePanelLogic names{panels_, scn, input, platform.window, defmcr};
  menus::SavePanelLogic saves{panels_, scn, input, msgwin.msg.spd, cursors,
                              menus::SaveServices{platform.files, dialogs, platform.window,
                                                  errors},
                              SlotPath};
  menus::ConfigPanelLogic config{panels_, input, platform.window};
  ReaderModes reader{scn, msgwin, input, platform.files, SlotPath};
  text::Backlog backlog;
  BacklogWindow backlog_window{backlog, layers, platform.font, msgwin.msg};
  SaveScreen save_screen{layers, platform.font,
                         [this](int slot) { return ReadOwnSave(slot, true); }};

  std::unique_ptr<RunWarnings> warnings;  // with --warn only
  std::unique_ptr<Debugger> debugger_;     // with --debug or a debugger command only
  uint64_t ticks_ = 0;     // ticks run
  bool started_ = false;  // start-up has completed
  bool quit_ = false;     // Quit has run

  void WireHandlers();
  // The wait handlers of the subsystems, bound to the scenario's table.
  void BindWaitHandlers();
  Handler Guarded(std::function<void()> body);
  std::optional<int> StartUp();
  std::optional<int> ReadDataFolder();
  std::string IniFilePath();
  // Where the data folder came from and whether it looks like one.
  std::string DataFolderAdvice();
  // A start-up file failed: the line for the terminal, the box, and Quit
  // once it is answered.
  [[noreturn]] void FailStartup(const GameError& e);
  // Start-up ended in a scenario fault: the line for the terminal names it.
  void NoteFailedScenario();
  void ChooseSlotFolder();
  void LoadStartupBitmaps();
  void Tick();
  // The quit question; OK ends the program, Cancel runs `cancelled`.
  void AskToQuit(std::function<void()> cancelled = nullptr);
  // The scenario waits for a click to go on: a click wait or a page wait.
  bool AtClickWait() const;
  // Moves the pointer onto choice row `row`; false when it cannot stand
  // there (the row is off the screen).
  bool PointAtChoice(int row);
  void MoveChoiceHighlight(int step);
  void PickChoice(int row);
  // After the tick that took a number key's pick, the pointer goes back.
  void ReturnPointerAfterPick();
  // A click (or a key or turn standing for one) while a reading mode is on
  // only ends the mode. True when it did.
  bool ClickEndsReaderMode();
  // The backlog opens at a wait, while no panel and no hold is up; the
  // reading mode that is on ends. False when it did not open.
  bool OpenBacklog();
  ReaderSettings reader_settings_;

  // Saves of our own and going back.
  History history_{platform.compressor};
  bool stop_recorded_ = false;  // the stop the game stands at is a step
  std::string own_notice_;
  bool AtHistoryStop() const;
  // At the end of a tick: a stop reached is kept as a step.
  void RecordHistoryStep();
  void Revisit(const formats::Snapshot* step, const char* told, const char* none);
  template <typename IO> void VisitScenarioState(IO& io);
  // `screen`: the game's screen size, which the screen image is packed at.
  template <typename IO> void VisitScreenState(IO& io, Size screen);
  template <typename IO> void VisitWaitState(IO& io);
  std::optional<std::string> ReadState(const formats::Snapshot& snapshot, MusicOnRestore music_on,
                                       Size screen);
  std::optional<std::string> CheckRestoredState(Size screen) const;
  // `position_ms`: where the music stood (none in a save of the first
  // format: it starts from its start).
  void AfterRestore(const Sstr& music_name, uint8_t music_loop, bool playing,
                    std::optional<uint32_t> position_ms, MusicOnRestore music_on);
  void SaveScreenKey(ReaderKey key);
  void SaveScreenClick(MouseButton button);

  // A key or a turn of the wheel while the backlog is open.
  void BacklogKey(ReaderKey key);
  void BacklogWheel(WheelTurn turn);
};

}  // namespace velmor::app
