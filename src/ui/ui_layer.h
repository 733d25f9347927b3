// Dear ImGui under the views: the context, the fonts the panels and message
// boxes use, and the frames. No platform: the front end gives it the font
// files' bytes, the display's size and the time, and a renderer of its own
// that puts the drawing on the screen (UiRenderer).
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
#include <cstddef>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/geometry.h"

struct ImFont;

namespace velmor::ui {

enum class UiFont {
  Panel,      // panel text, buttons, radio buttons: 13 px bold
  Prompt,     // the name panel's prompt: 19 px bold
  Label,      // help text: 12 px
  LabelP,     // the spin controls' "Large Small" labels: 12 px proportional
  List,       // the save list: 15 px
  Copyright,  // the small silver notices: 11 px
  Edit,       // the name fields: 21 px bold
  Box,        // message box text and title: 14 px
  Engine,     // the engine's own Latin text (the reader's settings, notices): 14 px proportional
  Count
};

// Puts the views' drawing on the screen: the glyph atlas as a texture of
// the screen's renderer, and each frame's drawing. The platform makes it.
class UiRenderer {
 public:
  virtual ~UiRenderer() = default;
  // Before each frame (the atlas texture is made if there is none).
  virtual void NewFrame() = 0;
  // The atlas changed: its texture is made again.
  virtual void RemakeFontTexture() = 0;
  // Draws the last frame's drawing.
  virtual void Render() = 0;
};

class UiLayer {
 public:
  // The bytes of the game's face and of its proportional sibling (empty:
  // the gothic face serves for both); they must outlive the layer. Without
  // a face the panels use ImGui's own font and show no Japanese.
  UiLayer(std::span<const std::byte> gothic, std::span<const std::byte> pgothic);
  ~UiLayer();
  UiLayer(const UiLayer&) = delete;
  UiLayer& operator=(const UiLayer&) = delete;

  bool fonts_ok() const { return fonts_ok_; }

  // Draws with this renderer from now on (null: none for the moment).
  void SetRenderer(UiRenderer* renderer) { renderer_ = renderer; }
  UiRenderer* renderer() const { return renderer_; }

  // Starts a frame for a display of `display` pixels at `seconds` (any
  // steadily rising clock); adds the characters asked for since the last
  // frame to the atlas first.
  void BeginFrame(Size display, double seconds);
  // Ends the frame; its drawing is drawn by Render.
  void EndFrame();
  void Render();
  bool InFrame() const { return in_frame_; }
  // The window pixels the last frame's drawing covers.
  Rect DrawnArea() const;
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

  // How often the atlas was built and how many glyphs it holds.
  int AtlasBuilds() const { return builds_; }
  std::size_t GlyphCount() const;

 private:
  void SeedGlyphs();
  void BuildAtlas();
  // The font files belong to the front end, not to ImGui's atlas.
  void DisownFontData();

  UiRenderer* renderer_ = nullptr;
  bool fonts_ok_ = false;
  std::span<const std::byte> gothic_;
  std::span<const std::byte> pgothic_;
  std::array<std::set<char32_t>, static_cast<int>(UiFont::Count)> wanted_;
  std::array<std::vector<unsigned short>, static_cast<int>(UiFont::Count)> ranges_;
  std::array<ImFont*, static_cast<int>(UiFont::Count)> fonts_{};
  bool outdated_ = false;
  bool in_frame_ = false;
  bool text_active_ = false;
  bool item_held_ = false;
  double last_seconds_ = -1;
  int builds_ = 0;
};

// The code points of UTF-8 text (invalid bytes are skipped).
std::vector<char32_t> CodePoints(std::string_view utf8);

}  // namespace velmor::ui
