#include "main/first_start_sdl.h"

#include <SDL.h>

#include <filesystem>
#include <system_error>

#include "main/imgui_sdl_renderer.h"
#include "platform/sdl/input_mapping.h"
#include "platform/sdl/sdl_platform.h"
#include "ui/first_start_view.h"

namespace velmor::main {

session::FolderListing ListFoldersOnDisk(const std::string& folder) {
  namespace fs = std::filesystem;
  session::FolderListing listing;
  std::error_code ec;
  fs::directory_iterator it(fs::path(folder), fs::directory_options::skip_permission_denied, ec);
  // A folder with more entries than anyone browses is shown in part.
  constexpr std::size_t kMostShown = 5000;
  for (; !ec && it != fs::directory_iterator() && listing.folders.size() < kMostShown;
       it.increment(ec)) {
    std::error_code type_ec;
    if (it->is_directory(type_ec)) listing.folders.push_back(it->path().filename().string());
  }
  if (ec) listing.error = ec.message();
  return listing;
}

namespace {

// Closing the window, or a signal to end.
bool QuitAsked(const SDL_Event& e) {
  return e.type == SDL_QUIT ||
         (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE);
}

}  // namespace

session::FirstStartChoice RunFirstStart(platform::sdl::SdlWindow& window, ui::UiLayer& ui,
                                        session::FirstStart& first,
                                        const ui::FirstStartTexts& texts,
                                        const std::string& remembered_in, const std::string& home) {
  ImGuiSdlRenderer renderer(window.renderer());
  ui.SetRenderer(&renderer);
  window.on_renderer_change = [&renderer](SDL_Renderer* r) { renderer.SetRenderer(r); };
  ui::FirstStartView view(ui, texts, remembered_in, home);
  // The path field takes typed text; nothing else here does.
  SDL_StartTextInput();
  bool dirty = true;
  while (!first.choice()) {
    SDL_Event e;
    const int wait_ms = dirty || view.WantsFrame() ? 0 : 500;
    if (wait_ms == 0 ? SDL_PollEvent(&e) : SDL_WaitEventTimeout(&e, wait_ms)) {
      do {
        if (QuitAsked(e)) first.Quit();
        if (e.type == SDL_WINDOWEVENT) dirty = true;
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        if (auto event = platform::sdl::InputEventFromSdl(e, {x, y})) view.Deliver(*event);
        if (e.type == SDL_TEXTEDITING_EXT) SDL_free(e.editExt.text);
      } while (SDL_PollEvent(&e));
    }
    if (platform::sdl::QuitSignalled()) first.Quit();
    if (first.choice() || (!dirty && !view.WantsFrame())) continue;
    view.Draw(first, window.ScreenSize(), static_cast<double>(SDL_GetTicks64()) / 1000.0);
    const platform::sdl::Overlay overlay{[&ui] { ui.Render(); }, Rect{0, 0, window.ScreenSize().width, window.ScreenSize().height}};
    window.Render(&overlay);
    dirty = false;
  }
  SDL_StopTextInput();
  window.on_renderer_change = nullptr;
  ui.SetRenderer(nullptr);
  window.Invalidate();
  return *first.choice();
}

}  // namespace velmor::main
