#include "ui/ui_layer.h"

#include <algorithm>

#include "core/sjis.h"
#include "imgui.h"
#include "imgui_freetype.h"
#include "menus/message_box_model.h"
#include "menus/message_boxes.h"
#include "menus/panels.h"

namespace velmor::ui {

static_assert(sizeof(ImWchar) == sizeof(unsigned short), "ImGui built with 16-bit characters");

using platform::MessageKind;

namespace {

struct FontChoice {
  bool proportional;
  float pixels;
  bool bold;
};

constexpr std::array<FontChoice, static_cast<int>(UiFont::Count)> kFontChoices{{
    {false, 13, true},   // Panel
    {false, 19, true},   // Prompt
    {false, 12, false},  // Label
    {true, 12, false},   // LabelP
    // The list's rows hold 63 half-width cells in 469 pixels: at 15 px this
    // face's half-width advance rounds to 8 and cuts the date off; 14 px
    // gives the 7-pixel cells the list was laid out for.
    {false, 14, false},  // List
    {false, 11, false},  // Copyright
    {false, 21, true},   // Edit
    {false, 14, false},  // Box
    {true, 14, false},   // Engine
}};


void SetClassicStyle() {
  ImGuiStyle& s = ImGui::GetStyle();
  s.WindowRounding = s.FrameRounding = s.PopupRounding = s.GrabRounding = 0;
  s.ScrollbarRounding = s.TabRounding = s.ChildRounding = 0;
  s.WindowBorderSize = 1;
  s.FrameBorderSize = 0;
  s.WindowPadding = ImVec2(0, 0);
  s.FramePadding = ImVec2(2, 0);
  s.ItemSpacing = ImVec2(0, 0);
  s.WindowTitleAlign = ImVec2(0, 0.5f);
  s.AntiAliasedLines = s.AntiAliasedFill = false;
  ImVec4* c = s.Colors;
  const ImVec4 face(0.753f, 0.753f, 0.753f, 1), black(0, 0, 0, 1), white(1, 1, 1, 1);
  const ImVec4 navy(0, 0, 0.502f, 1), grey(0.502f, 0.502f, 0.502f, 1);
  c[ImGuiCol_Text] = black;
  c[ImGuiCol_TextDisabled] = grey;
  c[ImGuiCol_WindowBg] = face;
  c[ImGuiCol_PopupBg] = face;
  c[ImGuiCol_Border] = black;
  c[ImGuiCol_BorderShadow] = ImVec4(0, 0, 0, 0);
  c[ImGuiCol_FrameBg] = c[ImGuiCol_FrameBgHovered] = c[ImGuiCol_FrameBgActive] = white;
  c[ImGuiCol_TitleBg] = c[ImGuiCol_TitleBgActive] = c[ImGuiCol_TitleBgCollapsed] = navy;
  c[ImGuiCol_TextSelectedBg] = navy;
  c[ImGuiCol_Button] = c[ImGuiCol_ButtonHovered] = c[ImGuiCol_ButtonActive] = face;
  c[ImGuiCol_NavHighlight] = ImVec4(0, 0, 0, 0);
}

}  // namespace

std::vector<char32_t> CodePoints(std::string_view s) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < s.size();) {
    auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
    if (n == 0 || i + n > s.size()) {  // a stray byte
      ++i;
      continue;
    }
    char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    bool ok = true;
    for (std::size_t k = 1; k < n; ++k) {
      auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (t & 0x3F);
    }
    if (ok) out.push_back(c);
    i += ok ? n : 1;
  }
  return out;
}

UiLayer::UiLayer(std::span<const std::byte> gothic, std::span<const std::byte> pgothic)
    : gothic_(gothic), pgothic_(pgothic.empty() ? gothic : pgothic) {
  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  // The game shows and hides the system pointer itself.
  io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
  io.MouseDrawCursor = false;
  io.MouseDoubleClickTime = 0.5f;
  SetClassicStyle();
  fonts_ok_ = !gothic_.empty();
  SeedGlyphs();
  // The atlas is built when the first panel or box is drawn: most of a
  // game's ticks draw none, and its glyphs and textures cost memory and
  // start-up time.
  outdated_ = true;
}

UiLayer::~UiLayer() {
  DisownFontData();
  ImGui::DestroyContext();
}

void UiLayer::SeedGlyphs() {
  auto add_text = [this](UiFont f, std::string_view utf8) {
    for (char32_t c : CodePoints(utf8)) wanted_[static_cast<int>(f)].insert(c);
  };
  auto add_range = [this](UiFont f, char32_t first, char32_t last) {
    for (char32_t c = first; c <= last; ++c) wanted_[static_cast<int>(f)].insert(c);
  };
  for (int f = 0; f < static_cast<int>(UiFont::Count); ++f)
    add_range(static_cast<UiFont>(f), 0x20, 0x7E);

  // Every caption the panels are made with.
  menus::Panels panels;
  for (Control* c : panels.All()) add_text(UiFont::Panel, SjisToUtf8(c->caption));
  add_text(UiFont::Label, SjisToUtf8(panels.NameHelpLabel.caption));
  add_text(UiFont::Copyright, menus::kCopyrightNotice);
  add_text(UiFont::Panel, "OKｷｬﾝｾﾙ０１２３４５６７８９");
  // The name fields: kana, full-width letters and signs; kanji come as typed.
  add_range(UiFont::Edit, 0x3000, 0x30FF);
  add_range(UiFont::Edit, 0xFF01, 0xFF9F);
  add_text(UiFont::List, "０１２３４５６７８９　");
  // The boxes: titles, buttons and the game's fixed texts.
  for (MessageKind k : {MessageKind::Error, MessageKind::Information, MessageKind::Confirmation,
                        MessageKind::Failure})
    add_text(UiFont::Box, menus::LookOf(k).title_utf8);
  add_text(UiFont::Box, "OKｷｬﾝｾﾙ");
  for (const menus::BoxText& t : {menus::kStartProperly, menus::kNoFileSelected,
                                  menus::kOverwrite, menus::kNobodyHere, menus::kReallyQuit})
    add_text(UiFont::Box, t.utf8);
}

bool UiLayer::Need(UiFont f, std::string_view utf8) {
  const int i = static_cast<int>(f);
  ImFont* font = fonts_[i];
  bool all = true;
  for (char32_t c : CodePoints(utf8)) {
    if (c > 0xFFFF || c < 0x20) continue;  // beyond what the atlas can hold
    if (font != nullptr && font->FindGlyphNoFallback(static_cast<ImWchar>(c)) != nullptr) continue;
    all = false;
    if (wanted_[i].insert(c).second) outdated_ = true;
  }
  return all;
}

void UiLayer::BuildAtlas() {
  ImGuiIO& io = ImGui::GetIO();
  const bool had_texture = io.Fonts->TexID != nullptr;
  DisownFontData();
  io.Fonts->Clear();
  io.Fonts->Flags |= ImFontAtlasFlags_NoMouseCursors;
  if (!fonts_ok_) {
    ImFont* def = io.Fonts->AddFontDefault();
    fonts_.fill(def);
  } else {
    io.Fonts->FontBuilderIO = ImGuiFreeType::GetBuilderForFreeType();
    for (int i = 0; i < static_cast<int>(UiFont::Count); ++i) {
      ImFontGlyphRangesBuilder builder;
      for (char32_t c : wanted_[i])
        if (c <= 0xFFFF) builder.AddChar(static_cast<ImWchar>(c));
      ImVector<ImWchar> built;
      builder.BuildRanges(&built);
      ranges_[i].assign(built.begin(), built.end());
      const FontChoice& choice = kFontChoices[i];
      ImFontConfig cfg;
      // "Owned" only so that the atlas does not copy the 6 MB face for each
      // of the fonts (tens of milliseconds each); DisownFontData hands it
      // back before the atlas would free it.
      cfg.FontDataOwnedByAtlas = true;
      cfg.PixelSnapH = true;
      cfg.FontBuilderFlags = ImGuiFreeTypeBuilderFlags_Monochrome |
                             ImGuiFreeTypeBuilderFlags_MonoHinting |
                             (choice.bold ? ImGuiFreeTypeBuilderFlags_Bold : 0);
      const std::span<const std::byte> face = choice.proportional ? pgothic_ : gothic_;
      fonts_[i] = io.Fonts->AddFontFromMemoryTTF(const_cast<std::byte*>(face.data()),
                                                 static_cast<int>(face.size()), choice.pixels, &cfg,
                                                 ranges_[i].data());
    }
  }
  io.Fonts->Build();
  io.FontDefault = fonts_[static_cast<int>(UiFont::Panel)];
  if (had_texture && renderer_ != nullptr) renderer_->RemakeFontTexture();
  // Characters the face does not have stay wanted, so they are not asked
  // for again and again.
  outdated_ = false;
  ++builds_;
}

void UiLayer::DisownFontData() {
  ImVector<ImFontConfig>& configs = ImGui::GetIO().Fonts->ConfigData;
  for (ImFontConfig& cfg : configs) cfg.FontDataOwnedByAtlas = false;
}

std::size_t UiLayer::GlyphCount() const {
  std::size_t n = 0;
  for (ImFont* f : fonts_)
    if (f != nullptr) n += static_cast<std::size_t>(f->Glyphs.Size);
  return n;
}

Rect UiLayer::DrawnArea() const {
  const ImDrawData* data = ImGui::GetDrawData();
  Rect a;
  bool any = false;
  if (data == nullptr) return a;
  for (int n = 0; n < data->CmdListsCount; ++n) {
    for (const ImDrawCmd& cmd : data->CmdLists[n]->CmdBuffer) {
      if (cmd.ElemCount == 0) continue;
      // The command's clip rectangle bounds what it draws.
      const int l = static_cast<int>(cmd.ClipRect.x), t = static_cast<int>(cmd.ClipRect.y);
      const int r = static_cast<int>(cmd.ClipRect.z + 0.999f);
      const int b = static_cast<int>(cmd.ClipRect.w + 0.999f);
      if (!any) {
        a = {l, t, r, b};
        any = true;
      } else {
        a = {std::min(a.left, l), std::min(a.top, t), std::max(a.right, r), std::max(a.bottom, b)};
      }
    }
  }
  return a;
}

void UiLayer::BeginFrame(Size display, double seconds) {
  if (outdated_) BuildAtlas();
  if (renderer_ != nullptr) renderer_->NewFrame();
  ImGuiIO& io = ImGui::GetIO();
  io.DisplaySize = ImVec2(static_cast<float>(display.width), static_cast<float>(display.height));
  // ImGui needs time to pass between frames (double clicks, held buttons).
  io.DeltaTime = last_seconds_ < 0 || seconds <= last_seconds_
                     ? 1.0f / 60.0f
                     : static_cast<float>(seconds - last_seconds_);
  last_seconds_ = seconds;
  ImGui::NewFrame();
  in_frame_ = true;
}

void UiLayer::EndFrame() {
  ImGui::Render();
  in_frame_ = false;
  text_active_ = ImGui::GetIO().WantTextInput;
  // A press ImGui has seen but not its release yet also needs the next
  // frame, or a click would wait for the next input.
  item_held_ = (ImGui::IsAnyItemActive() && !text_active_) || ImGui::IsAnyMouseDown();
}

void UiLayer::Render() {
  if (renderer_ != nullptr) renderer_->Render();
}

}  // namespace velmor::ui
