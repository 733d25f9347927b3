#include "main/imgui_sdl_renderer.h"

#include <SDL.h>

#include "imgui.h"
#include "imgui_impl_sdlrenderer.h"

namespace velmor::main {

const char* ImGuiSdlRenderer::GetClipboard(void* self) {
  char*& kept = static_cast<ImGuiSdlRenderer*>(self)->clipboard_;
  if (kept != nullptr) SDL_free(kept);
  kept = SDL_GetClipboardText();
  return kept;
}

void ImGuiSdlRenderer::SetClipboard(void*, const char* text) { SDL_SetClipboardText(text); }

ImGuiSdlRenderer::ImGuiSdlRenderer(SDL_Renderer* renderer) {
  ImGuiIO& io = ImGui::GetIO();
  io.ClipboardUserData = this;
  io.GetClipboardTextFn = GetClipboard;
  io.SetClipboardTextFn = SetClipboard;
  SetRenderer(renderer);
}

ImGuiSdlRenderer::~ImGuiSdlRenderer() {
  SetRenderer(nullptr);
  ImGuiIO& io = ImGui::GetIO();
  io.GetClipboardTextFn = nullptr;
  io.SetClipboardTextFn = nullptr;
  if (clipboard_ != nullptr) SDL_free(clipboard_);
}

void ImGuiSdlRenderer::SetRenderer(SDL_Renderer* renderer) {
  if (renderer == renderer_) return;
  if (renderer_ != nullptr) ImGui_ImplSDLRenderer_Shutdown();
  renderer_ = renderer;
  if (renderer_ != nullptr) ImGui_ImplSDLRenderer_Init(renderer_);
}

void ImGuiSdlRenderer::NewFrame() {
  if (renderer_ != nullptr) ImGui_ImplSDLRenderer_NewFrame();
}

void ImGuiSdlRenderer::RemakeFontTexture() {
  if (renderer_ == nullptr) return;
  ImGui_ImplSDLRenderer_DestroyFontsTexture();
  ImGui_ImplSDLRenderer_CreateFontsTexture();
}

void ImGuiSdlRenderer::Render() {
  if (renderer_ != nullptr) ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
}

}  // namespace velmor::main
