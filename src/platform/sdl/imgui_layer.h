// Dear ImGui in the game's window: the context, the SDL platform and
// renderer backends, and the fonts the panels and message boxes use.
//
// The fonts are the gothic face the game names (IPAGothic; its proportional
// sibling for the small "Large Small" labels), rasterised by FreeType in
// crisp monochrome, bold where the panels are bold. Their glyph atlas holds
// only the characters that have been needed so far: the fixed captions from
// the start, and any other character (a name, an error text, a kanji the
// input method produced) as soon as something is drawn with it; the atlas is
// then rebuilt between two frames. The atlas is first built when the first
// panel or box is drawn. This keeps start-up quick and never leaves a
// character of the game's texts undrawable.
#pragma once

#include <array>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shared/font_finder.h"

union SDL_Event;
struct ImFont;
struct SDL_Renderer;
struct SDL_Window;

namespace velmor::platform::sdl {

enum class UiFont {
  Panel,      // panel text, buttons, radio buttons: 13 px bold
  Prompt,     // the name panel's prompt: 19 px bold
  Label,      // help text: 12 px
  LabelP,     // the spin controls' "Large Small" labels: 12 px proportional
  List,       // the save list: 15 px
  Copyright,  // the small silver notices: 11 px
  Edit,       // the name fields: 21 px bold
  Box,        // message box text and title: 14 px
  Count
};


// A font file mapped into memory, read only: the face is several
// megabytes, of which the atlas touches only the few glyphs it builds.
class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  bool Map(const char* path);
  const void* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  void Unmap();
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

class ImGuiLayer {
 public:
  // `faces`: the game's own face, so that the panels draw with it too.
  ImGuiLayer(SDL_Window* window, SDL_Renderer* renderer, const FontFaces& faces);
  ~ImGuiLayer();
  ImGuiLayer(const ImGuiLayer&) = delete;
  ImGuiLayer& operator=(const ImGuiLayer&) = delete;

  // False when the font files could not be read (the panels then use
  // ImGui's own font and show no Japanese).
  bool fonts_ok() const { return fonts_ok_; }
  const std::string& error() const { return error_; }

  // Draws with another renderer from now on (null: none for the moment).
  void SetRenderer(SDL_Renderer* renderer);
  // The window pixels the last frame's drawing covers.
  struct Area {
    int left = 0, top = 0, right = 0, bottom = 0;
  };
  Area DrawnArea() const;

  // Starts ImGui's SDL backend, if it has not started: the first event or
  // frame does, or the front end once the first frame is shown.
  void StartBackend();
  // Hands an input event to ImGui.
  void ProcessEvent(const SDL_Event& event);
  // Starts a frame; adds the characters asked for since the last frame to
  // the atlas first.
  void BeginFrame();
  // Ends the frame; its drawing is drawn by RenderDrawData.
  void EndFrame();
  void RenderDrawData();
  // Whether a frame is open (between BeginFrame and EndFrame).
  bool InFrame() const { return in_frame_; }
  // As the last frame ended: a text field is being edited (its caret
  // blinks); an item or a mouse button is held down (a repeating button, a
  // click to finish).
  bool TextActive() const { return text_active_; }
  bool ItemHeld() const { return item_held_; }

  ImFont* Font(UiFont f) const { return fonts_[static_cast<int>(f)]; }
  // Notes the characters of `utf8` that font `f` cannot draw yet; they are
  // added before the next frame. True when all of them are there.
  bool Need(UiFont f, std::string_view utf8);
  // A character is waiting to be added to the atlas.
  bool AtlasOutdated() const { return outdated_; }
  // The renderer lost its textures: the atlas texture is made again.
  void RecreateFontTexture();

  // How often the atlas was built and how many glyphs it holds.
  int AtlasBuilds() const { return builds_; }
  std::size_t GlyphCount() const;

 private:
  void SeedGlyphs();
  void BuildAtlas();
  // The font files belong to this object, not to ImGui's atlas.
  void DisownFontData();

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  bool backend_started_ = false;
  bool fonts_ok_ = false;
  std::string error_;
  MappedFile gothic_;   // the font files
  MappedFile pgothic_;
  std::array<std::set<char32_t>, static_cast<int>(UiFont::Count)> wanted_;
  std::array<std::vector<unsigned short>, static_cast<int>(UiFont::Count)> ranges_;
  std::array<ImFont*, static_cast<int>(UiFont::Count)> fonts_{};
  bool outdated_ = false;
  bool in_frame_ = false;
  bool pointer_from_state_ = false;  // read the pointer from SDL's own state
  bool text_active_ = false;
  bool item_held_ = false;
  int builds_ = 0;
};

// The code points of UTF-8 text (invalid bytes are skipped).
std::vector<char32_t> CodePoints(std::string_view utf8);

}  // namespace velmor::platform::sdl
