// The views' drawing put on the screen through the window's SDL renderer
// (Dear ImGui's SDL renderer backend), and the system's clipboard for the
// views' text fields.
#pragma once

#include "ui/ui_layer.h"

struct SDL_Renderer;

namespace velmor::main {

class ImGuiSdlRenderer : public ui::UiRenderer {
 public:
  // The layer's ImGui context must exist.
  explicit ImGuiSdlRenderer(SDL_Renderer* renderer);
  ~ImGuiSdlRenderer() override;
  ImGuiSdlRenderer(const ImGuiSdlRenderer&) = delete;
  ImGuiSdlRenderer& operator=(const ImGuiSdlRenderer&) = delete;

  // Draws with another renderer from now on (null: none for the moment).
  void SetRenderer(SDL_Renderer* renderer);

  void NewFrame() override;
  void RemakeFontTexture() override;
  void Render() override;

 private:
  static const char* GetClipboard(void* self);
  static void SetClipboard(void* self, const char* text);

  SDL_Renderer* renderer_ = nullptr;
  char* clipboard_ = nullptr;  // the text last pasted, kept until the next paste
};

}  // namespace velmor::main
