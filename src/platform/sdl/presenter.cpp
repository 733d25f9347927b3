#include "platform/sdl/presenter.h"

#include <SDL.h>
#include <SDL_syswm.h>
#if defined(VELMOR_HAVE_X11)
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "core/texts.h"

namespace velmor::platform::sdl {

namespace {

SDL_Rect ToSdl(const Rect& r) { return {r.left, r.top, r.width(), r.height()}; }

// Draws the scene's pixels of `region` (window pixels) into `dst`, whose
// pixel (0, 0) is window pixel `origin`.
void Compose(const PixelView& dst, Point origin, const Scene& scene, const Rect& region) {
  // The picture covers every pixel of its rectangle: the layer is drawn
  // only around it (above, below, left and right).
  if (scene.picture != nullptr) {
    const Rect& hole = scene.picture_rect;
    const int32_t top = std::max(region.top, hole.top), bottom = std::min(region.bottom, hole.bottom);
    for (const Rect& part : {Rect{region.left, region.top, region.right, std::min(region.bottom, hole.top)},
                             Rect{region.left, std::max(region.top, hole.bottom), region.right, region.bottom},
                             Rect{region.left, top, std::min(region.right, hole.left), bottom},
                             Rect{std::max(region.left, hole.right), top, region.right, bottom}})
      if (!part.empty()) scene.layer->Compose(dst, origin, part);
  } else {
    scene.layer->Compose(dst, origin, region);
  }
  auto shifted = [&origin](const Rect& r) {
    return Rect{r.left - origin.x, r.top - origin.y, r.right - origin.x, r.bottom - origin.y};
  };
  if (scene.picture != nullptr && scene.smooth)
    StretchBltSmooth(dst, shifted(scene.picture_rect), *scene.picture, shifted(region));
  else if (scene.picture != nullptr)
    StretchBlt(dst, shifted(scene.picture_rect), *scene.picture, shifted(region));
  if (scene.corner != nullptr) {
    const Rect c = Intersect(region, scene.corner->bounds());
    for (int32_t y = c.top; y < c.bottom; ++y)
      std::memcpy(dst.row(y - origin.y) + (c.left - origin.x), scene.corner->row(y) + c.left,
                  sizeof(Color) * static_cast<std::size_t>(c.width()));
  }
}

// The window pixels that show `changed` of the scene's picture.
Rect ShownArea(const Scene& scene, Rect changed) {
  // A filtered pixel also blends the source pixels beside the one it
  // samples: a changed pixel reaches a pixel further.
  if (scene.smooth)
    changed = Intersect(Rect{changed.left - 1, changed.top - 1, changed.right + 1, changed.bottom + 1},
                        scene.picture->bounds());
  return StretchedArea(changed, {scene.picture->width(), scene.picture->height()},
                       scene.picture_rect);
}

// --- The window surface ---

// Updates of at most this many pixels (a sixteenth of the picture) go to an X
// display as plain requests.
constexpr uint64_t kMostPixelsSentAsRequests = 640 * 480 / 16;

#if defined(VELMOR_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
// Sends rectangles of the window surface to an X window with plain
// PutImage requests through the connection's xcb side, with no round trip
// and no read. SDL's own update ends each frame with XSync, whose reply
// wakes the program a second time every frame, and Xlib's flush reads the
// connection after writing (a read that finds nothing, every frame). The
// pixels of a PutImage are in the request, so the surface may be drawn on
// again at once.
class XSender {
 public:
  ~XSender() { Release(); }

  // False when the window is not an X window or the server wants pixels
  // laid out otherwise than the surface's (SDL sends then).
  bool Attach(SDL_Window* window, SDL_Surface* surface) {
    Release();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes))
      return false;
    xcb_connection_t* connection = XGetXCBConnection(info.info.x11.display);
    if (connection == nullptr || attributes.depth != 24 || surface->format->BitsPerPixel != 32 ||
        !ServerTakesSurfacePixels(connection))
      return false;
    connection_ = connection;
    window_ = static_cast<xcb_window_t>(info.info.x11.window);
    surface_ = surface;
    // The longest request less its header, in bytes.
    most_bytes_ = static_cast<std::size_t>(xcb_get_maximum_request_length(connection_)) * 4 - 64;
    gc_ = xcb_generate_id(connection_);
    xcb_create_gc(connection_, gc_, window_, 0, nullptr);
    return true;
  }

  // Each rectangle as one or more PutImage requests (rows packed), written
  // to the connection at once.
  void Send(const std::vector<Rect>& regions) {
    for (const Rect& r : regions) {
      const std::size_t row_bytes = 4 * static_cast<std::size_t>(r.width());
      const auto rows_a_request = static_cast<int32_t>(
          std::clamp<std::size_t>(most_bytes_ / std::max<std::size_t>(row_bytes, 1), 1, 1 << 15));
      for (int32_t top = r.top; top < r.bottom; top += rows_a_request)
        SendRows(r, top, std::min(r.bottom, top + rows_a_request), row_bytes);
    }
    xcb_flush(connection_);
  }

 private:
  // The server takes 24-bit pixels as 32-bit words in this machine's byte
  // order, rows padded to 32 bits: the surface's own layout.
  static bool ServerTakesSurfacePixels(xcb_connection_t* connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const uint8_t ours = SDL_BYTEORDER == SDL_BIG_ENDIAN ? XCB_IMAGE_ORDER_MSB_FIRST
                                                          : XCB_IMAGE_ORDER_LSB_FIRST;
    if (setup == nullptr || setup->image_byte_order != ours) return false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it))
      if (it.data->depth == 24) return it.data->bits_per_pixel == 32 && it.data->scanline_pad == 32;
    return false;
  }

  void SendRows(const Rect& r, int32_t top, int32_t bottom, std::size_t row_bytes) {
    const auto* pixels = static_cast<const uint8_t*>(surface_->pixels);
    const std::size_t pitch = static_cast<std::size_t>(surface_->pitch);
    const uint8_t* from =
        pixels + static_cast<std::size_t>(top) * pitch + 4 * static_cast<std::size_t>(r.left);
    const std::size_t rows = static_cast<std::size_t>(bottom - top);
    if (row_bytes != pitch) {
      // Rows narrower than the surface are packed one after another. The
      // room only grows: taking it down and up again would clear what is
      // added each frame.
      if (packed_.size() < rows * row_bytes) packed_.resize(rows * row_bytes);
      for (std::size_t y = 0; y < rows; ++y)
        std::memcpy(packed_.data() + y * row_bytes, from + y * pitch, row_bytes);
      from = packed_.data();
    }
    xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_,
                  static_cast<uint16_t>(r.width()), static_cast<uint16_t>(rows),
                  static_cast<int16_t>(r.left), static_cast<int16_t>(top), 0, 24,
                  static_cast<uint32_t>(rows * row_bytes), from);
  }

  void Release() {
    if (connection_ != nullptr && gc_ != 0) xcb_free_gc(connection_, gc_);
    connection_ = nullptr;
    gc_ = 0;
  }

  xcb_connection_t* connection_ = nullptr;
  xcb_window_t window_ = 0;
  xcb_gcontext_t gc_ = 0;
  SDL_Surface* surface_ = nullptr;  // SDL's
  std::size_t most_bytes_ = 0;
  std::vector<uint8_t> packed_;
};
#else
class XSender {
 public:
  bool Attach(SDL_Window*, SDL_Surface*) { return false; }
  void Send(const std::vector<Rect>&) {}
};
#endif

class SurfacePresenter : public Presenter {
 public:
  explicit SurfacePresenter(SDL_Window* window) : window_(window) {}
  ~SurfacePresenter() override { Release(); }

  std::string Name() const override { return Tr("software (the window surface)"); }
  SDL_Renderer* UiRenderer() const override { return ui_; }

  bool Reset(std::string* error) override {
    Release();
    surface_ = SDL_GetWindowSurface(window_);
    if (surface_ != nullptr) ui_ = SDL_CreateSoftwareRenderer(surface_);
    if (surface_ == nullptr || ui_ == nullptr) {
      if (error) *error = Fill(Tr("cannot draw in the window: %s"), {SDL_GetError()});
      return false;
    }
    direct_ = surface_->format->format == SDL_PIXELFORMAT_RGB888 ||
              surface_->format->format == SDL_PIXELFORMAT_ARGB8888;
    x_ = std::getenv("VELMOR_SDL_SENDS") == nullptr && x_sender_.Attach(window_, surface_);
    overlay_ = {};
    return true;
  }

  void Present(const Scene& scene, const Damage& damage, const Overlay* overlay) override {
    if (surface_ == nullptr) return;
    const std::vector<Rect>& regions = Regions(scene, damage, overlay);
    for (const Rect& r : regions) Draw(scene, r);
    if (overlay != nullptr && overlay->draw) {
      overlay->draw();
      SDL_RenderFlush(ui_);
    }
    overlay_ = overlay ? overlay->bounds : Rect{};
    CaptureIfAsked();
    Send(regions);
  }

  std::vector<uint32_t> ReadPixels(Size& size) override {
    std::vector<uint32_t> out;
    if (surface_ == nullptr) return out;
    size = {surface_->w, surface_->h};
    out.resize(static_cast<std::size_t>(size.width) * size.height);
    SDL_LockSurface(surface_);
    SDL_ConvertPixels(size.width, size.height, surface_->format->format, surface_->pixels,
                      surface_->pitch, SDL_PIXELFORMAT_RGB888, out.data(), size.width * 4);
    SDL_UnlockSurface(surface_);
    for (uint32_t& p : out) p &= 0xFFFFFF;
    return out;
  }

 private:
  // The window's rectangles this frame draws and sends (kept in a member,
  // whose room serves the next frames: a frame allocates nothing).
  const std::vector<Rect>& Regions(const Scene& scene, const Damage& damage, const Overlay* overlay) {
    const Rect window{0, 0, surface_->w, surface_->h};
    regions_.clear();
    auto add = [this](const Rect& r) {
      if (!r.empty()) regions_.push_back(r);
    };
    if (damage.all) {
      add(window);
    } else {
      add(Intersect(damage.layer, window));
      if (scene.picture != nullptr && !damage.picture.empty()) {
        if (damage.bands_hold_all && !damage.picture_bands.empty()) {
          for (const Rect& band : damage.picture_bands) add(Intersect(ShownArea(scene, band), window));
        } else {
          add(Intersect(ShownArea(scene, damage.picture), window));
        }
      }
    }
    // What the panels covered last time is drawn again under them (or bare,
    // when they are gone), and they are drawn again over all of it.
    add(Intersect(Union(overlay_, overlay ? overlay->bounds : Rect{}), window));
    return regions_;
  }

  void Release() {
    if (ui_ != nullptr) SDL_DestroyRenderer(ui_);
    ui_ = nullptr;
    surface_ = nullptr;  // the window owns it
  }

  void Draw(const Scene& scene, const Rect& r) {
    SDL_LockSurface(surface_);
    if (direct_) {
      // The surface is 0x??RRGGBB like the game's bitmaps: drawn in place.
      PixelView view{static_cast<Color*>(surface_->pixels), surface_->pitch / 4, surface_->w,
                     surface_->h};
      Compose(view, {0, 0}, scene, r);
      if (surface_->format->format == SDL_PIXELFORMAT_ARGB8888)
        for (int32_t y = r.top; y < r.bottom; ++y)
          for (int32_t x = r.left; x < r.right; ++x) view.row(y)[x] |= 0xFF000000u;
    } else {
      Bitmap part(r.width(), r.height());
      Compose(PixelView{part.row(0), part.width(), part.width(), part.height()}, {r.left, r.top},
              scene, r);
      auto* at = static_cast<uint8_t*>(surface_->pixels) + r.top * surface_->pitch +
                 r.left * surface_->format->BytesPerPixel;
      SDL_ConvertPixels(r.width(), r.height(), SDL_PIXELFORMAT_RGB888, part.row(0),
                        part.width() * 4, surface_->format->format, at, surface_->pitch);
    }
    SDL_UnlockSurface(surface_);
  }

  void Send(const std::vector<Rect>& regions) {
    if (regions.empty()) return;
    uint64_t pixels = 0;
    for (const Rect& r : regions) pixels += static_cast<uint64_t>(r.width()) * static_cast<uint64_t>(r.height());
    pixels_sent += pixels;
    // A large update (a dissolve's frame) goes through SDL's shared memory,
    // which costs less than the same pixels in requests even with its
    // round trip; a few glyphs and the pointer go as requests.
    if (x_ && pixels <= kMostPixelsSentAsRequests) {
      x_sender_.Send(regions);
      return;
    }
    sdl_rects_.clear();
    for (const Rect& r : regions) sdl_rects_.push_back(ToSdl(r));
    SDL_UpdateWindowSurfaceRects(window_, sdl_rects_.data(), static_cast<int>(sdl_rects_.size()));
  }

  SDL_Window* window_;
  SDL_Surface* surface_ = nullptr;
  SDL_Renderer* ui_ = nullptr;
  bool direct_ = false;
  XSender x_sender_;
  bool x_ = false;  // sent by x_sender_, not by SDL
  Rect overlay_;  // what the panels and boxes covered in the last frame
  std::vector<Rect> regions_;
  std::vector<SDL_Rect> sdl_rects_;
};

// --- An accelerated renderer ---

class RendererPresenter : public Presenter {
 public:
  RendererPresenter(SDL_Window* window, SDL_Renderer* renderer)
      : window_(window), renderer_(renderer) {}
  ~RendererPresenter() override {
    DestroyTextures();
    SDL_DestroyRenderer(renderer_);
  }

  std::string Name() const override {
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer_, &info);
    return Fill(Tr("accelerated (%s)"), {info.name ? info.name : "?"});
  }
  SDL_Renderer* UiRenderer() const override { return renderer_; }

  bool Reset(std::string*) override {
    DestroyTextures();
    return true;
  }

  void Present(const Scene& scene, const Damage& damage, const Overlay* overlay) override {
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (UploadLayer(*scene.layer, damage.all ? scene.layer->bounds() : damage.layer)) {
      SDL_Rect all{0, 0, scene.layer->size().width, scene.layer->size().height};
      SDL_RenderCopy(renderer_, layer_tex_.tex, nullptr, &all);
    }
    if (scene.picture != nullptr &&
        Upload(picture_tex_, *scene.picture,
               damage.all ? scene.picture->bounds() : damage.picture)) {
      SDL_Rect dst = ToSdl(scene.picture_rect);
      SDL_SetTextureScaleMode(picture_tex_.tex,
                              scene.smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
      SDL_RenderCopy(renderer_, picture_tex_.tex, nullptr, &dst);
    }
    if (scene.corner != nullptr && Upload(corner_tex_, *scene.corner, scene.corner->bounds())) {
      SDL_Rect dst = ToSdl(scene.corner->bounds());
      SDL_RenderCopy(renderer_, corner_tex_.tex, nullptr, &dst);
    }
    if (overlay != nullptr && overlay->draw) overlay->draw();
    // Read before it is shown: afterwards the frame's buffer is undefined.
    CaptureIfAsked();
    SDL_RenderPresent(renderer_);
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    pixels_sent += static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
  }

  std::vector<uint32_t> ReadPixels(Size& size) override {
    SDL_GetRendererOutputSize(renderer_, &size.width, &size.height);
    std::vector<uint32_t> out(static_cast<std::size_t>(size.width) * size.height);
    SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_RGB888, out.data(), size.width * 4);
    for (uint32_t& p : out) p &= 0xFFFFFF;
    return out;
  }

 private:
  struct Texture {
    SDL_Texture* tex = nullptr;
    int w = 0, h = 0;
  };

  // Brings the texture up to date with `changed` of `bmp` (all of it when
  // the texture is new). False when there is no texture to draw.
  bool Upload(Texture& t, const Bitmap& bmp, Rect changed) {
    if (bmp.empty()) return false;
    if (t.tex == nullptr || t.w != bmp.width() || t.h != bmp.height()) {
      if (t.tex != nullptr) SDL_DestroyTexture(t.tex);
      t.tex = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                bmp.width(), bmp.height());
      if (t.tex == nullptr) return false;
      t.w = bmp.width();
      t.h = bmp.height();
      changed = bmp.bounds();
    }
    changed = Intersect(changed, bmp.bounds());
    if (!changed.empty()) {
      SDL_Rect r = ToSdl(changed);
      SDL_UpdateTexture(t.tex, &r, bmp.row(changed.top) + changed.left,
                        bmp.width() * static_cast<int>(sizeof(Color)));
    }
    return true;
  }

  // The layer has no bitmap of its own: the changed part is composed and
  // uploaded.
  bool UploadLayer(const WindowLayer& layer, Rect changed) {
    const Size size = layer.size();
    if (size.width <= 0 || size.height <= 0) return false;
    if (layer_tex_.tex == nullptr || layer_tex_.w != size.width || layer_tex_.h != size.height) {
      if (layer_tex_.tex != nullptr) SDL_DestroyTexture(layer_tex_.tex);
      layer_tex_.tex = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888,
                                         SDL_TEXTUREACCESS_STREAMING, size.width, size.height);
      if (layer_tex_.tex == nullptr) return false;
      layer_tex_.w = size.width;
      layer_tex_.h = size.height;
      changed = layer.bounds();
    }
    changed = Intersect(changed, layer.bounds());
    if (!changed.empty()) {
      Bitmap part(changed.width(), changed.height());
      layer.Compose(PixelView{part.row(0), part.width(), part.width(), part.height()},
                    {changed.left, changed.top}, changed);
      SDL_Rect r = ToSdl(changed);
      SDL_UpdateTexture(layer_tex_.tex, &r, part.row(0), part.width() * static_cast<int>(sizeof(Color)));
    }
    return true;
  }

  void DestroyTextures() {
    for (Texture* t : {&layer_tex_, &picture_tex_, &corner_tex_}) {
      if (t->tex != nullptr) SDL_DestroyTexture(t->tex);
      *t = Texture{};
    }
  }

  SDL_Window* window_;
  SDL_Renderer* renderer_;
  Texture layer_tex_, picture_tex_, corner_tex_;
};

// Whether an accelerated renderer would run on a graphics driver rather
// than a software rasteriser: on X11 the server must offer direct
// rendering (DRI3 or DRI2, which virtual and remote X servers lack); on
// Wayland a render node must be there.
bool DisplayHas3dDriver(SDL_Window* window) {
  const char* soft = std::getenv("LIBGL_ALWAYS_SOFTWARE");
  if (soft != nullptr && *soft != '\0' && std::strcmp(soft, "0") != 0) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) return false;
#if defined(VELMOR_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)
  if (std::strcmp(driver, "x11") == 0) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    int opcode = 0, event = 0, error = 0;
    Display* display = info.info.x11.display;
    return XQueryExtension(display, "DRI3", &opcode, &event, &error) ||
           XQueryExtension(display, "DRI2", &opcode, &event, &error);
  }
#else
  (void)window;
#endif
  if (std::strcmp(driver, "wayland") == 0) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/dev/dri", ec), end; !ec && it != end;
         it.increment(ec))
      if (it->path().filename().string().starts_with("renderD")) return true;
    return false;
  }
  return false;
}

}  // namespace

std::unique_ptr<Presenter> MakePresenter(SDL_Window* window, RendererChoice choice,
                                         std::string* error) {
  if (choice == RendererChoice::Auto)
    choice = DisplayHas3dDriver(window) ? RendererChoice::Accelerated : RendererChoice::Software;
  if (choice == RendererChoice::Accelerated) {
    if (SDL_Renderer* r = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED)) {
      auto p = std::make_unique<RendererPresenter>(window, r);
      if (p->Reset(error)) return p;
    }
    // No accelerated renderer after all: the window surface serves.
  }
  // SDL would otherwise back the window surface with a 3D renderer itself.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  auto p = std::make_unique<SurfacePresenter>(window);
  if (!p->Reset(error)) return nullptr;
  return p;
}

}  // namespace velmor::platform::sdl
