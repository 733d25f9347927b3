// The web front end's program: the page (web/index.html) has put the data,
// the font and the player's storage into the page's files before main runs;
// main starts the game and hands the loop to the browser. The page steps a
// game started with --test through the functions below.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/texts.h"
#include "main/web/web_game.h"

namespace {

// The game lives as long as the page: the browser's loop returns from main.
velmor::main::WebGame* game = nullptr;
std::string answer;  // the last string handed to the page

void TellPage(const std::string& why) {
  std::fprintf(stderr, "velmor: %s\n", why.c_str());
  EM_ASM({ if (Module.onFailure) Module.onFailure(UTF8ToString($0)); }, why.c_str());
}

}  // namespace

extern "C" {

// One pass of the loop (the page's timer calls it, and every input event
// at once): how many milliseconds the page may wait before the next; -1
// once the game has ended or failed.
EMSCRIPTEN_KEEPALIVE int velmor_pass() {
  if (game == nullptr || game->ended()) return -1;
  try {
    const uint64_t wait = game->Frame();
    if (game->ended()) {
      EM_ASM({ if (Module.onGameEnded) Module.onGameEnded(); });
      return -1;
    }
    return static_cast<int>(std::min<uint64_t>(wait, 1000));
  } catch (const std::exception& e) {
    // What the game could not survive is said in the page, and it stops.
    TellPage(e.what());
    return -1;
  }
}

// The page plays another folder: this game lets go of its window, its
// sound and the page's events (SDL's end), so that only the new one hears
// the player.
EMSCRIPTEN_KEEPALIVE void velmor_close() {
  velmor::main::WebGame* going = std::exchange(game, nullptr);
  try {
    delete going;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmor: %s\n", e.what());
  }
}

EMSCRIPTEN_KEEPALIVE int velmor_ticks() { return game ? static_cast<int>(game->ticks()) : 0; }
EMSCRIPTEN_KEEPALIVE int velmor_ended() { return game && game->ended() ? 1 : 0; }
// The language Velmor's texts are shown in ("ja" or "en": the reader's
// setting, else the browser's), for the page's own lines.
EMSCRIPTEN_KEEPALIVE const char* velmor_language() {
  return velmor::CurrentTexts().language == velmor::Language::Japanese ? "ja" : "en";
}
// The page's text field (web/velmor-page.js).
EMSCRIPTEN_KEEPALIVE void velmor_text(const char* utf8) {
  if (game) game->Text(utf8);
}
EMSCRIPTEN_KEEPALIVE void velmor_composition(const char* utf8, int cursor) {
  if (game) game->Compose(utf8, cursor);
}
// The editing keys, by the names the page's keys have (KeyboardEvent.key).
EMSCRIPTEN_KEEPALIVE void velmor_edit_key(const char* name, int shift) {
  static constexpr std::pair<std::string_view, velmor::Key> kKeys[] = {
      {"Enter", velmor::Key::Enter},         {"Backspace", velmor::Key::Backspace},
      {"Delete", velmor::Key::Delete},       {"Escape", velmor::Key::Escape},
      {"Tab", velmor::Key::Tab},             {"ArrowLeft", velmor::Key::Left},
      {"ArrowRight", velmor::Key::Right},    {"ArrowUp", velmor::Key::Up},
      {"ArrowDown", velmor::Key::Down},      {"Home", velmor::Key::Home},
      {"End", velmor::Key::End}};
  for (const auto& [key_name, key] : kKeys)
    if (game && key_name == name) game->EditKey(key, shift != 0);
}
// The canvas's own pixels, as the page sizes them (web/velmor-page.js).
EMSCRIPTEN_KEEPALIVE void velmor_canvas_size(int width, int height) {
  if (game) game->SizeCanvas({width, height});
}
// --test: a reader setting by its key in the settings file, as the
// reader's settings window changes it; an unknown one is said in the
// page's console.
EMSCRIPTEN_KEEPALIVE void velmor_reader(const char* key, const char* value) {
  std::string why;
  if (game && !game->SetReaderSetting(key, value, &why))
    std::fprintf(stderr, "velmor: reader %s %s: %s\n", key, value, why.c_str());
}
EMSCRIPTEN_KEEPALIVE int velmor_open_boxes() { return game ? game->OpenBoxes() : 0; }
EMSCRIPTEN_KEEPALIVE void velmor_tick(int count) {
  if (game) game->StepTicks(count);
}
EMSCRIPTEN_KEEPALIVE void velmor_frame() {
  if (game) game->StepFrame();
}
EMSCRIPTEN_KEEPALIVE void velmor_until(const char* handler, int limit) {
  if (game) game->TicksUntil(handler, limit);
}
EMSCRIPTEN_KEEPALIVE const char* velmor_state() {
  answer = game ? game->StateJson() : "{}";
  return answer.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* velmor_control_rect(const char* name) {
  answer = game ? game->ControlRect(name) : "";
  return answer.c_str();
}

}  // extern "C"

int main(int argc, char** argv) {
  velmor::main::WebOptions options;
  std::string why;
  if (!velmor::main::ParseWebOptions({argv + 1, argv + argc}, options, &why)) {
    TellPage(why);
    return 2;
  }
  try {
    game = new velmor::main::WebGame(options);
    if (!game->Start(&why)) {
      TellPage(why);
      return 1;
    }
  } catch (const std::exception& e) {
    TellPage(e.what());
    return 1;
  }
  // A start-up the game refused is its box (answering it ends the game)
  // and one line in the page.
  if (!game->StartupFailure().empty())
    TellPage(game->StartupFailure());
  else
    EM_ASM({ if (Module.onGameStarted) Module.onGameStarted(); });
  // The page runs the loop (velmor_pass), or in --test steps the game.
  emscripten_exit_with_live_runtime();
  return 0;
}
