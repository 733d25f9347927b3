// The headless front end: the game on a virtual 20 ms clock, with no
// display or audio device, driven by an input script whose lines become the
// session's neutral events (the same session, and so the same rules for
// who gets each key and click, as the real window), and the state as JSON
// at any point.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/form.h"
#include "main/headless/scripted_answers.h"
#include "platform/headless/headless_media_player.h"
#include "platform/headless/headless_platform.h"
#include "platform/shared/ttf_font.h"
#include "session/box_stack.h"
#include "session/session.h"
#include "text/bitmap_face.h"

namespace velmor::main {

using app::Debugger;
using app::Platform;
using app::StartOptions;
using app::TForm1;

struct HeadlessOptions {
  Size screen{1024, 768};
  uint64_t max_ticks = 100000;  // ticks in all, script included
  StartOptions start;
  bool print_warnings = false;  // also print the script's warnings on stderr
  std::string font_file = platform::kDefaultFontFile;  // the face the text is drawn with
  // The folders looked in for the 16-dot bitmap face the 16-pixel text is
  // drawn with (platform::BitmapFontFolders); none: the outline face alone.
  std::vector<std::string> bitmap_font_folders;
  // Draws the game's text in place of that face (a font of the caller's own,
  // which must outlive the game); null: the face.
  platform::Font* text_font = nullptr;
  // Where F12 writes screenshots; empty: the player's pictures folder.
  std::string pictures_folder;
  bool debug = false;                 // the debugger on from the start
  std::vector<std::string> breaks;    // breakpoints set at start ("FILE:OFFSET|LABEL")
};

class HeadlessGame {
 public:
  // `files` is the file system the game sees (the machine's own, or one in
  // memory for tests).
  HeadlessGame(platform::Files& files, HeadlessOptions options);

  // Start-up. An exit code when the program ends without starting.
  std::optional<int> Start();
  // The game as it was made, not started, over the same files (whatever the
  // last game wrote to them stays): what a new HeadlessGame would be, without
  // loading the face again. Fuzzing runs one game for many inputs.
  void Reset();
  // One tick of the virtual clock; false once the game has ended (or the
  // tick limit is reached).
  bool Tick();
  bool ended() const { return ended_; }
  uint64_t ticks() const { return form_->ticks(); }

  // Runs one input-script line. False with *error on a malformed line.
  bool RunCommand(const std::string& line, std::string* error);
  // Runs a whole script (one command a line, "#" comments); it stops early
  // when the game ends. RunToEnd then ticks until the game ends or the
  // tick limit is reached.
  bool RunScript(const std::string& text, std::string* error);
  // The same, line by line as the stream gives them (a pipe feeding a long
  // session runs each line as it arrives).
  bool RunScript(std::istream& in, std::string* error);
  void RunToEnd();

  std::string StateJson() const;
  // The state as WriteState writes it: with the notices the window showed.
  std::string StateFileJson() const;
  bool WriteState(const std::string& path, std::string* error) const;
  bool WriteScreenshot(const std::string& path, std::string* error) const;
  // What the script asked that could not be done ("input script line 7:
  // control SaveButton: ...").
  const std::vector<std::string>& Warnings() const { return warnings_; }
  // What the window's corner said (a screenshot written or not), in order.
  const std::vector<std::string>& Notices() const { return notices_; }

  TForm1& form() { return *form_; }
  session::Session& session() { return *session_; }
  // The debugger, turned on by the first call (with the assembler for labels).
  Debugger& debugger();
  platform::HeadlessWindow& window() { return window_; }
  ScriptedAnswers& dialogs() { return answers_; }
  platform::HeadlessMediaPlayer& media() { return media_; }
  platform::TtfFont& font() { return font_; }
  text::BitmapFace& face() { return face_; }
  // Why the bitmap face was looked for and not loaded (one line); empty
  // when it was, or was not looked for.
  const std::string& bitmap_face_problem() const { return bitmap_face_problem_; }

 private:
  bool ControlCommand(const std::vector<std::string>& words, std::string* error);
  // "answer ok|cancel|keys KEY...": how the next message box is answered.
  bool AnswerCommand(const std::vector<std::string>& words, std::string* error);
  // "key NAME": a key pressed and released; "keys [shift] [ctrl] [alt]":
  // modifiers held down (none: released).
  bool KeyCommand(const std::vector<std::string>& words, std::string* error);
  bool ModifiersCommand(const std::vector<std::string>& words, std::string* error);
  // "press", "release", "click", "wheel".
  bool MouseCommand(const std::vector<std::string>& words, std::string* error);
  // "focus NAME" and "ime compose|commit|cancel": the keyboard focus and an
  // input method's work in the focused name field.
  bool TextInputCommand(const std::vector<std::string>& words, std::string* error);
  // break, step, stepover, runtowait, continue, pause, reload, set.
  bool DebuggerCommand(const std::vector<std::string>& words, std::string* error);
  // Ticks until the debugger pauses, the game ends or `limit` ticks have run.
  void TicksUntilPaused(int64_t limit);
  // Runs `body` as the front end runs an event, then what follows events:
  // QuitSignal ends the game.
  template <typename F>
  void Event(F&& body);
  uint64_t NowMs() const { return form_->ticks() * 20; }
  // The game and its session over the platform's parts.
  void Assemble();

  HeadlessOptions options_;
  platform::Files& files_;
  platform::TtfFont font_;
  text::BitmapFace face_{font_};
  std::string bitmap_face_problem_;
  platform::HeadlessWindow window_;
  session::BoxStack boxes_;
  ScriptedAnswers answers_;
  platform::HeadlessMediaPlayer media_;
  platform::VirtualClock clock_;
  void Warn(const std::string& text);

  std::unique_ptr<TForm1> form_;
  std::unique_ptr<session::Session> session_;
  bool ended_ = false;
  int script_line_ = 0;  // the script line running, 0 outside a script
  std::vector<std::string> warnings_;
  std::vector<std::string> notices_;

  // F12: the picture into the pictures folder, named by the virtual clock's
  // time on the first day of 2000.
  void SaveScreenshot();
};

}  // namespace velmor::main
