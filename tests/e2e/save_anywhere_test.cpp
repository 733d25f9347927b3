// Saves of our own on the demo game, tick for tick: a recorded run is saved
// at a tick in each kind of wait; a new game loads the save and, given the
// same input, shows every following frame and state the recorded run did.
// And the same through two processes of the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "main/headless/headless_game.h"
#include "platform/shared/os_files.h"
#include "support/process.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;
using scenario::WaitHandler;

fs::path Scratch(const std::string& name) {
  fs::path dir = fs::path(VELMOR_BUILD_DIR) / "e2e" / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::unique_ptr<main::HeadlessGame> NewGame(platform::Files& files, const fs::path& dir) {
  main::HeadlessOptions options;
  options.start.program_folder = dir.string() + "/";
  options.start.data_folder = VELMOR_DEMO_DIR "/";
  options.start.slot_folder = dir.string() + "/";
  auto game = std::make_unique<main::HeadlessGame>(files, options);
  EXPECT_FALSE(game->Start().has_value());
  return game;
}

// The player of the recorded run: the pointer goes round the screen's
// middle (over choices and the street's regions), a click every 23 ticks.
void Point(main::HeadlessGame& g, uint64_t tick) {
  std::string error;
  const int x = 192 + 100 + static_cast<int>(tick * 7 % 440);
  const int y = 144 + 120 + static_cast<int>(tick * 3 % 350);
  ASSERT_TRUE(g.RunCommand("pointer " + std::to_string(x) + " " + std::to_string(y), &error));
}

void Play(main::HeadlessGame& g, uint64_t tick) {
  std::string error;
  Point(g, tick);
  // A choice is taken by its number key (the first row, then the second).
  const bool choice = g.form().view().scn.MainProc == WaitHandler::ChoiceProc;
  if (tick % 23 == 0) {
    ASSERT_TRUE(g.RunCommand(choice ? (tick % 2 ? "key 1" : "key 2") : "click left", &error))
        << error;
  }
}

// Where two states first differ, with a little of each around it.
std::string Difference(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  const std::size_t from = i < 60 ? 0 : i - 60;
  return "\n  " + a.substr(from, 140) + "\n  " + b.substr(from, 140);
}

// The kind of wait the game stands at after a tick.
std::string WaitKind(const app::TForm1::View& v) {
  if (v.scn.MainProc == WaitHandler::TypeText) return v.msgwin.PageWait ? "page" : "typing";
  return scenario::WaitHandlerName(v.scn.MainProc);
}

TEST(SaveAnywhere, ALoadedSaveGoesOnTickForTickAtEveryKindOfWait) {
  const fs::path dir = Scratch("save_anywhere");
  platform::OsFiles files;
  constexpr uint64_t kTicks = 1500;
  constexpr uint64_t kAfter = 150;  // ticks compared after each load
  // The recorded run: its state after each tick, and a save at the first
  // tick of each kind of wait (not the first ticks: a wait begins there).
  std::map<uint64_t, std::string> states;
  std::map<std::string, std::pair<uint64_t, int>> saved;  // kind: tick, slot
  {
    auto a = NewGame(files, dir);
    for (uint64_t t = 1; t <= kTicks; ++t) {
      Play(*a, t);
      a->Tick();
      for (const auto& [kind, at] : saved)
        if (t <= at.first + kAfter) states[t] = a->StateJson();
      const std::string kind = WaitKind(a->form().view());
      if (kind != "none" && !a->form().WhyNoSnapshot() && t + kAfter <= kTicks && !saved.count(kind) && saved.size() < 30) {
        const int slot = static_cast<int>(saved.size()) + 1;
        ASSERT_TRUE(a->form().SaveOwn(slot)) << kind;
        saved[kind] = {t, slot};
      }
    }
  }
  // The demo's first minutes under this player; page waits, timed waits
  // and hit maps are held to the same in the app suite's small games.
  for (const char* kind : {"WaitClick", "typing", "ChoiceProc", "ChangePicture", "PrepareScreen",
                           "DissolveIn"})
    EXPECT_TRUE(saved.count(kind)) << "the run never waited in " << kind;
  for (const auto& [kind, at] : saved) {
    SCOPED_TRACE(kind);
    const auto [tick, slot] = at;
    auto b = NewGame(files, dir);  // the clock where the recorded run's was
    for (uint64_t t = 1; t <= tick; ++t) b->Tick();
    Point(*b, tick);  // the pointer is the player's, where it was
    ASSERT_TRUE(b->form().LoadOwn(slot));
    // (The pointer's place in the state is the one the next tick maps.)
    for (uint64_t t = tick + 1; t <= tick + kAfter; ++t) {
      Play(*b, t);
      b->Tick();
      const std::string now = b->StateJson();
      ASSERT_TRUE(now == states[t]) << "tick " << t << " after a load at " << tick
                                    << Difference(now, states[t]);
    }
  }
}

// The program itself: one run saves at a choice and goes on; another, started
// afresh, loads that save at the same tick and ends in the same state.
TEST(SaveAnywhere, TheProgramLoadsASaveAnotherRunWrote) {
  const fs::path dir = Scratch("save_anywhere_process");
  auto run = [&](const std::string& name, const std::string& script) {
    std::ofstream(dir / (name + ".txt")) << script;
    ProcessResult r = RunProcess(
        {VELMOR_PROGRAM, "--headless", "--data", VELMOR_DEMO_DIR, "--slots", dir.string(),
         "--input", (dir / (name + ".txt")).string(), "--exit-after-script"},
        120);
    EXPECT_EQ(r.exit_code, 0) << r.output;
    return r.output;
  };
  const std::string state = " " + (dir / "state.json").string() + "\n";
  EXPECT_NE(run("a", "tick 200\nclick left\ntick 100\nsave 3\ntick 150\nstate" + state)
                .find("Saved in slot 3"),
            std::string::npos);
  // The state but for the notices the two runs told ("Saved…", "Loaded…").
  auto game_state = [&] {
    std::ifstream in(dir / "state.json");
    std::string text{std::istreambuf_iterator<char>(in), {}};
    return text.substr(0, text.find(",\"notices\":"));
  };
  const std::string recorded = game_state();
  EXPECT_NE(run("b", "tick 300\nload 3\ntick 150\nstate" + state).find("Loaded slot 3"),
            std::string::npos);
  const std::string loaded = game_state();
  EXPECT_TRUE(loaded == recorded) << Difference(loaded, recorded);
  EXPECT_NE(recorded.find("\"MainProc\":\"ChoiceProc\""), std::string::npos);
}

// The music of a save made while it plays sounds, in a process started
// afresh and loading at another tick, from where it was when saved, and
// goes on as it went on in the run that saved.
TEST(SaveAnywhere, AFreshProcessSoundsTheMusicFromWhereItWasSaved) {
  const fs::path dir = Scratch("save_anywhere_music");
  auto run = [&](const std::string& name, const std::string& script) {
    std::ofstream(dir / (name + ".txt")) << script;
    ProcessResult r = RunProcess(
        {VELMOR_PROGRAM, "--headless", "--data", VELMOR_DEMO_DIR, "--slots", dir.string(),
         "--input", (dir / (name + ".txt")).string(), "--exit-after-script"},
        120);
    EXPECT_EQ(r.exit_code, 0) << r.output;
  };
  auto media = [&](const std::string& file) {
    std::ifstream in(dir / file);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    const std::size_t at = text.find("\"media\":");
    return at == std::string::npos ? text : text.substr(at, text.find('}', at) - at + 1);
  };
  const std::string d = dir.string() + "/";
  run("a", "tick 200\nclick left\ntick 100\nsave 3\nstate " + d + "saved.json\ntick 150\nstate " +
               d + "recorded.json\n");
  const std::string saved = media("saved.json");
  EXPECT_NE(saved.find("\"mode\":\"playing\""), std::string::npos) << saved;
  EXPECT_EQ(saved.find("\"position_ms\":0}"), std::string::npos) << saved;
  run("b", "tick 37\nload 3\nstate " + d + "loaded.json\ntick 150\nstate " + d + "after.json\n");
  EXPECT_EQ(media("loaded.json"), saved);
  EXPECT_EQ(media("after.json"), media("recorded.json"));
}


// The state file without the keys a save does not carry (the backlog: the
// pages read stay read; what the hidden name panel's fields last held; the
// original's save panel as it last opened, its rows from the slot files on
// disk) or that only say what a run told (notices).
std::string WithoutKeys(std::string json, const std::vector<std::string>& keys) {
  for (const std::string& key : keys) {
    const std::size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos) continue;
    std::size_t i = at + key.size() + 3;
    int depth = 0;
    bool quoted = false;
    for (; i < json.size(); ++i) {
      const char c = json[i];
      if (quoted) {
        if (c == '\\') ++i;
        else if (c == '"') quoted = false;
      } else if (c == '"') {
        quoted = true;
      } else if (c == '{' || c == '[') {
        ++depth;
      } else if (c == '}' || c == ']') {
        if (depth-- == 0) break;
      } else if (c == ',' && depth == 0) {
        ++i;
        break;
      }
    }
    json.erase(at, i - at);
  }
  return json;
}

std::string ReadText(const fs::path& file) {
  std::ifstream in(file);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A page wait, a hit map and the timed wait on the demo, reached by the
// browser's every-wait script: one run saves there and goes on; a fresh
// process loads the save at the same tick and goes on to the same state.
TEST(SaveAnywhere, AFreshProcessGoesOnFromAPageWaitAHitMapAndATimedWait) {
  const std::vector<std::string> kNotCarried{"backlog",        "notices",  "FirstNameEdit",
                                             "SecondNameEdit", "SaveList", "SaveButton",
                                             "SaveCancelButton"};
  std::vector<std::string> script;
  {
    std::ifstream in(VELMOR_EVERY_WAIT_SCRIPT);
    for (std::string line; std::getline(in, line);) script.push_back(line);
  }
  const std::map<std::string, std::string> kWaits{
      {"04-page-wait", "TypeText"}, {"12-hit-map", "HitMapPress"}, {"21-timed-wait", "WaitTicks"}};
  for (const auto& [label, wait] : kWaits) {
    SCOPED_TRACE(label);
    const fs::path dir = Scratch("save_anywhere_" + label);
    std::string a;
    std::string pointer;  // where the player's pointer is (a save does not move it)
    for (const std::string& line : script) {
      if (line == "state " + label + ".json") break;
      if (line.rfind("state ", 0) != 0) a += line + "\n";
      if (line.rfind("pointer ", 0) == 0) pointer = line + "\n";
    }
    const std::string go_on = "tick 40\nstate " + (dir / "after.json").string() + "\n";
    auto run = [&](const std::string& name, const std::string& input, const fs::path& slots) {
      fs::create_directories(slots);
      std::ofstream(dir / (name + ".txt")) << input;
      ProcessResult r = RunProcess({VELMOR_PROGRAM, "--headless", "--data", VELMOR_DEMO_DIR,
                                    "--slots", slots.string(), "--input",
                                    (dir / (name + ".txt")).string(), "--exit-after-script"},
                                   120);
      EXPECT_EQ(r.exit_code, 0) << r.output;
    };
    run("a", a + "save 7\nstate " + (dir / "at.json").string() + "\n" + go_on, dir / "a");
    const std::string at = ReadText(dir / "at.json");
    EXPECT_NE(at.find("\"MainProc\":\"" + wait + "\""), std::string::npos);
    const std::size_t ticks_at = at.find("\"ticks\":");
    ASSERT_NE(ticks_at, std::string::npos);
    const long ticks = std::stol(at.substr(ticks_at + 8));
    const std::string recorded = WithoutKeys(ReadText(dir / "after.json"), kNotCarried);
    fs::create_directories(dir / "b");
    fs::copy_file(dir / "a" / "velmor-save-07.sav", dir / "b" / "velmor-save-07.sav");
    run("b", pointer + "tick " + std::to_string(ticks) + "\nload 7\n" + go_on, dir / "b");
    const std::string loaded = WithoutKeys(ReadText(dir / "after.json"), kNotCarried);
    EXPECT_TRUE(loaded == recorded) << Difference(loaded, recorded);
  }
}

}  // namespace
}  // namespace velmor::testing