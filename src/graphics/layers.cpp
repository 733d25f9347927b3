#include "graphics/layers.h"

#include "core/errors.h"
#include "core/sjis.h"
#include "platform/bmp.h"
#include "platform/files.h"
#include "platform/window.h"

namespace velmor::graphics {

void BitmapLoader::Load(Bitmap& into, std::string_view folder, const ByteString& file) {
  std::string path = platform::GamePath(dat_path_, std::string(folder) + file.str());
  std::string error;
  auto bytes = files_.ReadFile(path, &error);
  if (!bytes) throw GameError(Utf8ToSjis(error), error);
  auto bmp = platform::DecodeBmp(*bytes, &error);
  if (!bmp) throw GameError(Utf8ToSjis(path + ": " + error), path + ": " + error);
  into = std::move(*bmp);
}

bool BitmapLoader::TryLoad(Bitmap& into, std::string_view folder, const ByteString& file) {
  try {
    Load(into, folder, file);
    return true;
  } catch (const GameError&) {
    return false;
  }
}

void Layers::ShowBackBuffer() {
  DrawBitmap(IMG, 0, 0, BMP);
  ImageDrawn(BMP.bounds());
}

void Layers::Publish(const Rect& r) {
  CopyRect(IMG, r, BMP);
  ImageDrawn(r);
}

void Layers::Present(const Rect& display) {
  window_.StretchOnWindow(IMG, display, image_changed_);
  image_changed_ = Rect{};
}

void Layers::DrawWallpaper() {
  loader_.Load(CLS, BMPDIR, "WALL00.BMP");
  Size screen = window_.ScreenSize();
  if (CLS.width() > 0 && CLS.height() > 0) {
    for (int32_t y = 0; y < screen.height; y += CLS.height())
      for (int32_t x = 0; x < screen.width; x += CLS.width()) window_.DrawOnWindow(CLS, {x, y});
  }
  loader_.Load(CLS, BMPDIR, "MESH.BMP");
}

}  // namespace velmor::graphics
