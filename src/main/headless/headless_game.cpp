#include "main/headless/headless_game.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <memory>
#include <sstream>

#include "core/errors.h"
#include "core/sjis.h"
#include "core/texts.h"
#include "language/source_labels.h"
#include "menus/panel_focus.h"
#include "menus/panel_layout.h"
#include "platform/shared/bitmap_font_files.h"
#include "platform/shared/deflate_compressor.h"
#include "platform/shared/png.h"
#include "platform/shared/screenshot.h"

namespace velmor::main {

namespace {

constexpr uint32_t kTickMs = 20;

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

bool Number(const std::string& s, int64_t& out) {
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size();
}

// The keys of the "key" command.
struct NamedKey {
  const char* name;
  Key key;
  bool shift = false;
};
constexpr NamedKey kKeys[] = {
    {"enter", Key::Enter},      {"kpenter", Key::KeypadEnter}, {"space", Key::Space},
    {"escape", Key::Escape},    {"up", Key::Up},               {"down", Key::Down},
    {"left", Key::Left},        {"right", Key::Right},         {"tab", Key::Tab},
    {"shift+tab", Key::Tab, true}, {"pageup", Key::PageUp},    {"pagedown", Key::PageDown},
    {"1", Key::Digit1},         {"2", Key::Digit2},            {"3", Key::Digit3},
    {"4", Key::Digit4},         {"5", Key::Digit5},            {"6", Key::Digit6},
    {"7", Key::Digit7},         {"a", Key::A},                 {"f12", Key::F12},
    {"backspace", Key::Backspace}, {"f2", Key::F2},            {"f3", Key::F3},
    {"f6", Key::F6},            {"f7", Key::F7},
};

bool ParseSize(const std::string& s, Size& out) {
  size_t x = s.find('x');
  int64_t w = 0, h = 0;
  if (x == std::string::npos || !Number(s.substr(0, x), w) || !Number(s.substr(x + 1), h) ||
      w < 1 || h < 1 || w > 16384 || h > 16384)
    return false;
  out = {static_cast<int32_t>(w), static_cast<int32_t>(h)};
  return true;
}

}  // namespace

HeadlessGame::HeadlessGame(platform::Files& files, HeadlessOptions options)
    : options_(std::move(options)),
      files_(files),
      font_(options_.font_file),
      window_(options_.screen, &font_),
      media_(files) {
  if (!options_.bitmap_font_folders.empty()) {
    std::optional<platform::BitmapFonts> fonts =
        platform::LoadBitmapFonts(files_, options_.bitmap_font_folders, &bitmap_face_problem_);
    if (fonts)
      face_.SetBitmaps(std::move(fonts->full_width), std::move(fonts->half_width),
                       &bitmap_face_problem_);
  }
  Assemble();
}

void HeadlessGame::Assemble() {
  answers_.AnswerBoxesOf(boxes_);
  form_ = std::make_unique<TForm1>(
      Platform{files_, window_, boxes_, media_,
               options_.text_font ? *options_.text_font : face_, clock_, platform::Deflate()},
      options_.start);
  // A new game reads in the system's language, the game's texts as they
  // are, until a script's reader command says otherwise.
  form_->ApplyReaderSettings(form_->reader_settings());
  session_ = std::make_unique<session::Session>(*form_, boxes_);
  session_->SetLabelAssembler(language::AssembleLabels);
  session_->on_notice = [this](const std::string& utf8) {
    notices_.push_back(utf8);
    if (options_.print_warnings) std::fprintf(stderr, "velmor: %s\n", utf8.c_str());
  };
}

template <typename F>
void HeadlessGame::Event(F&& body) {
  if (ended_) return;
  try {
    // A failure the event did not handle itself is told as the real front
    // end tells it: in an error box, and the game goes on.
    session_->Run(body);
    session_->AfterEvents(NowMs());
    if (session_->ScreenshotDue()) SaveScreenshot();
  } catch (const QuitSignal&) {
    ended_ = true;
  }
}

void HeadlessGame::Reset() {
  // The game first: it holds on to the parts below, which are made again
  // where they stand.
  session_.reset();
  form_.reset();
  auto remake = [](auto& part, auto&&... args) {
    std::destroy_at(&part);
    std::construct_at(&part, std::forward<decltype(args)>(args)...);
  };
  remake(window_, options_.screen, &font_);
  remake(boxes_);
  remake(answers_);
  remake(media_, files_);
  remake(clock_);
  face_.UseBitmaps(true);  // the reader's default, as a new game starts with
  ended_ = false;
  script_line_ = 0;
  warnings_.clear();
  notices_.clear();
  Assemble();
}

Debugger& HeadlessGame::debugger() { return session_->EnableDebugger(); }

std::optional<int> HeadlessGame::Start() {
  if (options_.debug) debugger();
  // Start-up asks for the first paint; a file it needs (the wallpaper) that
  // is missing is told like any other failure.
  std::optional<int> exit_code;
  Event([&] {
    exit_code = session_->StartGame();
    if (!exit_code) session_->Begin(NowMs());
  });
  if (!form_->startup_failure().empty() && !exit_code) exit_code = 1;
  if (exit_code) ended_ = true;
  // The breakpoints of the command line: the data folder is known now, and
  // start-up has run no instruction yet.
  for (const std::string& where : options_.breaks) {
    std::string why;
    if (!ended_ && !debugger().AddBreakpoint(where, &why))
      Warn(Fill(Tr("--break %s: %s"), {where, why}));
  }
  return exit_code;
}

void HeadlessGame::Warn(const std::string& text) {
  std::string line = script_line_ > 0
                         ? Fill(Tr("input script line %s: %s"), {std::to_string(script_line_), text})
                         : text;
  if (options_.print_warnings) std::fprintf(stderr, "velmor: %s\n", line.c_str());
  // A long scripted session keeps its memory: past a thousand, the rest are
  // only printed.
  constexpr std::size_t kKeptWarnings = 1000;
  if (warnings_.size() < kKeptWarnings) warnings_.push_back(std::move(line));
}

bool HeadlessGame::Tick() {
  if (ended_ || form_->ticks() >= options_.max_ticks) return false;
  clock_.Advance(kTickMs);
  media_.Advance(kTickMs);
  Event([&] { session_->Tick(NowMs() + kTickMs); });
  return !ended_;
}

bool HeadlessGame::RunCommand(const std::string& raw, std::string* error) {
  std::string line = raw.substr(0, raw.find('#'));
  std::vector<std::string> w = Words(line);
  if (w.empty()) return true;
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const std::string& cmd = w[0];
  int64_t n = 0;
  if (cmd == "tick") {
    int64_t count = 1;
    if (w.size() > 2 || (w.size() == 2 && (!Number(w[1], count) || count < 0)))
      return fail(Tr("tick takes one count"));
    for (int64_t i = 0; i < count && Tick(); ++i) {
    }
  } else if (cmd == "pointer") {
    int64_t x, y;
    if (w.size() != 3 || !Number(w[1], x) || !Number(w[2], y)) return fail("pointer X Y");
    const Point at{static_cast<int32_t>(x), static_cast<int32_t>(y)};
    window_.SetCursorPos(at);
    Event([&] { session_->Pointer(at); });
  } else if (cmd == "press" || cmd == "release" || cmd == "click" || cmd == "wheel") {
    return MouseCommand(w, error);
  } else if (cmd == "keys") {
    return ModifiersCommand(w, error);
  } else if (cmd == "key") {
    return KeyCommand(w, error);
  } else if (cmd == "screen") {
    Size size;
    if (w.size() != 2 || !ParseSize(w[1], size)) return fail(Tr("screen WxH (1 to 16384 each)"));
    // As the real window going full screen or back: the client area changes.
    window_.Resize(size);
    Event([&] { session_->Window(WindowEvent::Resized); });
  } else if (cmd == "answer") {
    return AnswerCommand(w, error);
  } else if (cmd == "control") {
    return ControlCommand(w, error);
  } else if (cmd == "focus" || cmd == "ime") {
    return TextInputCommand(w, error);
  } else if (cmd == "until") {
    if (w.size() < 2 || w.size() > 3 || (w.size() == 3 && (!Number(w[2], n) || n < 0)))
      return fail("until NAME [MAX]");
    int64_t limit = w.size() == 3 ? n : 10000;
    for (int64_t i = 0; i < limit; ++i) {
      if (scenario::WaitHandlerName(form_->view().scn.MainProc) == w[1]) break;
      if (!Tick()) break;
    }
  } else if (cmd == "break" || cmd == "step" || cmd == "stepover" || cmd == "runtowait" ||
             cmd == "continue" || cmd == "pause" || cmd == "reload" || cmd == "set") {
    return DebuggerCommand(w, error);
  } else if (cmd == "reader") {
    if (w.size() != 3) return fail(Tr("reader SETTING VALUE (a key of the settings file's [reader])"));
    app::ReaderSettings settings = form_->reader_settings();
    std::string why;
    if (!app::SetReaderSetting(settings, w[1], w[2], &why)) return fail(Fill(Tr("reader: %s"), {why}));
    // As the reader's settings window applies a change.
    Event([&] { form_->ApplyReaderSettings(settings); });
  } else if (cmd == "save" || cmd == "load") {
    // A slot of our own, as F6/F7 or the save screen would.
    int64_t slot = app::kQuickSlot;
    if (w.size() != 2 || (w[1] != "quick" && (!Number(w[1], slot) || slot < 1 ||
                                              slot > app::kOwnSlots)))
      return fail(cmd + " 1.." + std::to_string(app::kOwnSlots) + "|quick");
    const int s = static_cast<int>(slot);
    Event([&] { cmd == "save" ? form_->SaveOwn(s) : form_->LoadOwn(s); });
  } else if (cmd == "back" || cmd == "forward") {
    if (w.size() != 1) return fail(Fill(Tr("%s takes nothing"), {cmd}));
    Event([&] { cmd == "back" ? form_->GoBack() : form_->GoForward(); });
  } else if (cmd == "screenshot") {
    if (w.size() != 2) return fail("screenshot FILE.png");
    return WriteScreenshot(w[1], error);
  } else if (cmd == "state") {
    if (w.size() != 2) return fail("state FILE.json");
    return WriteState(w[1], error);
  } else {
    return fail(Fill(Tr("unknown command: %s"), {cmd}));
  }
  return true;
}

bool HeadlessGame::AnswerCommand(const std::vector<std::string>& w, std::string* error) {
  const char* usage =
      "answer ok|cancel|keys KEY... (tab, shift+tab, left, right, enter, space, escape)";
  auto fail = [error, usage](const std::string& why) {
    if (error) *error = why.empty() ? usage : why + " (" + usage + ")";
    return false;
  };
  if (w.size() >= 3 && w[1] == "keys") {
    std::vector<menus::ControlKey> keys;
    for (size_t i = 2; i < w.size(); ++i) {
      std::optional<menus::ControlKey> key = menus::ControlKeyNamed(w[i]);
      if (!key) return fail(Fill(Tr("unknown key: %s"), {w[i]}));
      keys.push_back(*key);
    }
    answers_.QueueKeys(std::move(keys));
    return true;
  }
  if (w.size() != 2 || (w[1] != "ok" && w[1] != "cancel")) return fail("");
  answers_.QueueAnswer(w[1] == "ok" ? platform::Answer::Ok : platform::Answer::Cancel);
  return true;
}

bool HeadlessGame::DebuggerCommand(const std::vector<std::string>& w, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const std::string& cmd = w[0];
  Debugger& d = debugger();
  if (cmd == "break") {
    if (w.size() != 2) return fail("break FILE:OFFSET|FILE:LABEL");
    std::string why;
    if (!d.AddBreakpoint(w[1], &why)) return fail(Fill(Tr("break %s: %s"), {w[1], why}));
    return true;
  }
  if (cmd == "set") {
    int64_t n = 0, v = 0;
    if (w.size() != 4 || (w[1] != "work" && w[1] != "flag") || !Number(w[2], n) ||
        !Number(w[3], v))
      return fail("set work N VALUE | set flag N 0|1");
    std::string why;
    bool ok = false;
    Event([&] { ok = w[1] == "work" ? d.SetWork(n, v, &why) : d.SetFlag(n, v, &why); });
    return ok || fail(Fill(Tr("set %s: %s"), {w[1], why}));
  }
  if (cmd == "reload") {
    if (w.size() != 1) return fail(Fill(Tr("%s takes nothing"), {cmd}));
    std::string why;
    bool ok = true;
    Event([&] { ok = d.Reload(&why); });
    return ok || fail(Fill(Tr("reload: %s"), {why}));
  }
  // The rest run the game on until the debugger pauses again (continue and
  // pause only change what the next ticks do).
  int64_t limit = 10000;
  if (w.size() > 2 || (w.size() == 2 && (!Number(w[1], limit) || limit < 0)))
    return fail(cmd + " [MAX]");
  if (cmd == "continue") {
    if (w.size() != 1) return fail(Fill(Tr("%s takes nothing"), {cmd}));
    d.Continue();
    return true;
  }
  if (cmd == "pause") {
    if (w.size() != 1) return fail(Fill(Tr("%s takes nothing"), {cmd}));
    d.Pause();
    return true;
  }
  if (cmd == "step") d.Step();
  else if (cmd == "stepover") d.StepOver();
  else d.RunToWait();
  TicksUntilPaused(limit);
  return true;
}

void HeadlessGame::TicksUntilPaused(int64_t limit) {
  for (int64_t i = 0; i < limit && !debugger().paused(); ++i)
    if (!Tick()) break;
}

bool HeadlessGame::MouseCommand(const std::vector<std::string>& w, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const std::string& cmd = w[0];
  const Point at = window_.CursorPos();
  if (cmd == "wheel") {
    if (w.size() != 2 || (w[1] != "up" && w[1] != "down")) return fail("wheel up|down");
    Event([&] { session_->Wheel({w[1] == "up" ? 1 : -1, false, at}); });
    return true;
  }
  if (cmd == "release") {
    // Whichever button is held goes up.
    Event([&] {
      for (MouseButton b : {MouseButton::Left, MouseButton::Right, MouseButton::Middle})
        session_->Button({b, false, at});
    });
    return true;
  }
  if (cmd == "click" && (w.size() != 2 || (w[1] != "left" && w[1] != "right")))
    return fail("click left|right");
  if (w.size() != 2 || (w[1] != "left" && w[1] != "right" && w[1] != "middle"))
    return fail("press left|right|middle");
  const MouseButton b = w[1] == "left"    ? MouseButton::Left
                        : w[1] == "right" ? MouseButton::Right
                                          : MouseButton::Middle;
  Event([&] { session_->Button({b, true, at}); });
  if (cmd == "click") Event([&] { session_->Button({b, false, at}); });
  return true;
}

bool HeadlessGame::ModifiersCommand(const std::vector<std::string>& w, std::string* error) {
  Modifiers m;
  for (size_t i = 1; i < w.size(); ++i) {
    if (w[i] == "shift") m.shift = true;
    else if (w[i] == "ctrl") m.ctrl = true;
    else if (w[i] == "alt") m.alt = true;
    else {
      if (error) *error = "keys [shift] [ctrl] [alt]";
      return false;
    }
  }
  // The last of them goes down with the others held; none: a release.
  const Key key = m.alt ? Key::Alt : m.ctrl ? Key::Ctrl : m.shift ? Key::Shift : Key::Other;
  Event([&] { session_->Key({key, m, w.size() > 1, false}); });
  return true;
}

bool HeadlessGame::KeyCommand(const std::vector<std::string>& w, std::string* error) {
  const char* usage =
      "key enter|kpenter|space|escape|up|down|left|right|tab|shift+tab|pageup|pagedown|1..7|a|f12|"
      "backspace|f2|f3|f6|f7";
  const NamedKey* named = nullptr;
  for (const NamedKey& k : kKeys)
    if (w.size() == 2 && w[1] == k.name) named = &k;
  if (named == nullptr) {
    if (error) *error = w.size() == 2 ? Fill(Tr("unknown key: %s (%s)"), {w[1], usage}) : usage;
    return false;
  }
  // A key goes down and up again, as the real window's keyboard delivers it.
  Modifiers held;
  held.shift = named->shift;
  Event([&] { session_->Key({named->key, held, true, false}); });
  Event([&] { session_->Key({named->key, held, false, false}); });
  return true;
}

void HeadlessGame::SaveScreenshot() {
  const uint32_t ms = clock_.UtcTimeOfDayMs();
  std::tm when{};
  when.tm_year = 100;
  when.tm_mday = 1;
  when.tm_hour = static_cast<int>(ms / 3600000);
  when.tm_min = static_cast<int>(ms / 60000 % 60);
  when.tm_sec = static_cast<int>(ms / 1000 % 60);
  const std::string folder =
      options_.pictures_folder.empty() ? platform::ScreenshotFolder() : options_.pictures_folder;
  const platform::SavedScreenshot saved =
      platform::SaveScreenshot(session_->ScreenPicture(), folder, when);
  session_->ScreenshotSaved(platform::ScreenshotNotice(saved));
}

bool HeadlessGame::ControlCommand(const std::vector<std::string>& w, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (w.size() < 3) return fail("control NAME click|dblclick|value N|text T|select ROW|enter");
  Control* c = form_->panels().Find(w[1]);
  if (!c) {
    Warn(Fill(Tr("control %s: there is no control of that name; nothing done"), {w[1]}));
    return true;
  }
  if (!c->usable()) {
    // As on the real window: a control that cannot be reached takes nothing.
    Warn(Fill(c->shown() ? Tr("control %s: the control is disabled; nothing done")
                         : Tr("control %s: the control is not shown (its panel is closed); nothing done"),
              {w[1]}));
    return true;
  }
  const std::string& action = w[2];
  int64_t n = 0;
  if (action == "click") {
    Event([&] { c->Click(); });
  } else if (action == "dblclick") {
    Event([&] { c->DblClick(); });
  } else if (action == "value" || action == "up" || action == "down") {
    auto* spin = dynamic_cast<SpinEdit*>(c);
    if (!spin) return fail(Fill(Tr("%s is not a spin control"), {w[1]}));
    if (action == "value") {
      if (w.size() != 4 || !Number(w[3], n)) return fail("control NAME value N");
      if (spin->usable()) Event([&] { spin->SetValue(static_cast<int>(n)); });
    } else {
      Event([&] { action == "up" ? spin->UpArrow() : spin->DownArrow(); });
    }
  } else if (action == "text") {
    auto* edit = dynamic_cast<Edit*>(c);
    if (!edit) return fail(Fill(Tr("%s is not an edit field"), {w[1]}));
    std::string text;
    for (size_t i = 3; i < w.size(); ++i) text += (i > 3 ? " " : "") + w[i];
    if (edit->usable()) edit->SetText(Utf8ToSjis(text));
  } else if (action == "enter") {
    auto* edit = dynamic_cast<Edit*>(c);
    if (!edit) return fail(Fill(Tr("%s is not an edit field"), {w[1]}));
    if (edit->usable() && edit->OnEnter) Event([&] { edit->OnEnter(); });
  } else if (action == "select") {
    auto* list = dynamic_cast<ListBox*>(c);
    if (!list) return fail(Fill(Tr("%s is not a list"), {w[1]}));
    if (w.size() != 4 || !Number(w[3], n)) return fail("control NAME select ROW");
    if (list->usable()) list->Select(static_cast<int>(n));
  } else {
    return fail(Fill(Tr("unknown control action: %s"), {action}));
  }
  return true;
}

bool HeadlessGame::TextInputCommand(const std::vector<std::string>& w, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (w[0] == "focus") {
    if (w.size() != 2) return fail("focus NAME");
    Control* c = form_->panels().Find(w[1]);
    if (!c) return fail(Fill(Tr("no control named %s"), {w[1]}));
    // As a click on the control or Tab would: only a usable control of an
    // open panel that can take the focus takes it.
    const Control* top = c;
    while (top->parent != nullptr) top = top->parent;
    const bool takes = c->tab_order >= 0 || c->kind == ControlKind::Radio;
    menus::Panels& p = form_->panels();
    for (Panel* panel : menus::PanelsOf(p))
      if (top == panel && c != panel && takes && c->usable()) Event([&] { panel->SetFocus(c); });
    return true;
  }
  const std::string action = w.size() > 1 ? w[1] : "";
  if (action == "compose") {
    // Without a cursor the caret stands at the composition's end.
    int64_t cursor = std::numeric_limits<int>::max();
    if (w.size() > 4 || (w.size() == 4 && (!Number(w[3], cursor) || cursor < 0)))
      return fail("ime compose [UTF8TEXT [CURSOR]]");
    const std::string text = w.size() > 2 ? w[2] : "";
    cursor = std::min<int64_t>(cursor, std::numeric_limits<int>::max());
    Event([&] { session_->Compose(text, static_cast<int>(cursor)); });
  } else if (action == "commit") {
    std::string text;
    for (size_t i = 2; i < w.size(); ++i) text += (i > 2 ? " " : "") + w[i];
    if (w.size() > 2) {
      Event([&] { session_->Text(text); });
    } else if (Edit* edit = menus::FocusedEdit(form_->panels()); edit != nullptr && edit->usable()) {
      // The input method commits what it was composing, as it does when it
      // loses the field.
      Event([&] { edit->CommitComposition(); });
    }
  } else if (action == "cancel") {
    if (w.size() != 2) return fail("ime cancel");
    Event([&] { session_->Compose("", 0); });
  } else {
    return fail("ime compose|commit|cancel");
  }
  return true;
}

bool HeadlessGame::RunScript(const std::string& text, std::string* error) {
  std::istringstream in(text);
  return RunScript(in, error);
}

bool HeadlessGame::RunScript(std::istream& in, std::string* error) {
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    script_line_ = number;
    std::string why;
    if (!RunCommand(line, &why)) {
      script_line_ = 0;
      if (error) *error = Fill(Tr("line %s: %s"), {std::to_string(number), why});
      return false;
    }
    if (ended_) break;
  }
  script_line_ = 0;
  return true;
}

void HeadlessGame::RunToEnd() {
  while (Tick()) {
  }
}

bool HeadlessGame::WriteScreenshot(const std::string& path, std::string* error) const {
  return platform::WritePng(window_.Canvas(), path, error);
}

bool HeadlessGame::WriteState(const std::string& path, std::string* error) const {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    if (error) *error = Fill(Tr("cannot write %s"), {path});
    return false;
  }
  std::string json = StateFileJson();
  bool ok = std::fwrite(json.data(), 1, json.size(), f) == json.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok && error) *error = Fill(Tr("cannot write %s"), {path});
  return ok;
}

}  // namespace velmor::main
