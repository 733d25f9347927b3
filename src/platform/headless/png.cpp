#include "platform/headless/png.h"

#include <SDL.h>
#include <SDL_image.h>

namespace velmor::platform {

bool WritePng(const Bitmap& bmp, const std::string& path, std::string* error) {
  if (bmp.empty()) {
    if (error) *error = "nothing to write: the picture is empty";
    return false;
  }
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<Color*>(bmp.pixels().data()), bmp.width(), bmp.height(), 32,
      bmp.width() * static_cast<int>(sizeof(Color)), SDL_PIXELFORMAT_RGB888);
  if (!s) {
    if (error) *error = SDL_GetError();
    return false;
  }
  bool ok = IMG_SavePNG(s, path.c_str()) == 0;
  if (!ok && error) *error = "cannot write " + path + ": " + IMG_GetError();
  SDL_FreeSurface(s);
  return ok;
}

}  // namespace velmor::platform
