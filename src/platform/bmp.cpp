#include "platform/bmp.h"

#include <SDL.h>

#include <array>
#include <cstdlib>
#include <cstring>

namespace velmor::platform {

namespace {

// Pictures larger than this are not the game's; refusing them keeps a damaged
// header from asking for gigabytes.
constexpr int64_t kMaxPixels = 16 * 1024 * 1024;
constexpr int32_t kMaxSide = 16384;

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// The checks the decoder does not make itself.
bool CheckHeader(std::span<const uint8_t> b, std::string* error) {
  auto fail = [error](const char* why) {
    if (error) *error = why;
    return false;
  };
  if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') return fail("not a BMP file");
  uint32_t info_size = Le32(&b[14]);
  int64_t width, height;
  uint16_t bits;
  uint32_t compression = 0;
  // The sizes as the decoder reads them, which is what it allocates.
  if (info_size == 12) {  // the old OS/2 header: unsigned 16-bit sizes
    width = Le16(&b[18]);
    height = Le16(&b[20]);
    bits = Le16(&b[24]);
  } else if (info_size >= 40 && b.size() >= 14 + 40) {
    width = static_cast<int32_t>(Le32(&b[18]));
    height = static_cast<int32_t>(Le32(&b[22]));
    bits = Le16(&b[28]);
    compression = Le32(&b[30]);
  } else {
    return fail("damaged BMP file: unknown header");
  }
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
      width * height > kMaxPixels)
    return fail("damaged BMP file: impossible picture size");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return fail("damaged BMP file: unknown pixel depth");
  const uint32_t offset = Le32(&b[10]);
  if (offset >= b.size()) return fail("damaged BMP file: no pixel data");
  // Rows stored as they are (not run-length coded) must all be in the file:
  // a header that promises more is refused before anything is allocated.
  const bool plain = compression == 0 || compression == 3;
  const int64_t row_bytes = (width * bits + 31) / 32 * 4;
  if (plain && static_cast<int64_t>(b.size() - offset) < row_bytes * height)
    return fail("damaged BMP file: the pixels run past the end of the file");
  return true;
}

}  // namespace

std::optional<Bitmap> DecodeBmp(std::span<const uint8_t> bytes, std::string* error) {
  if (!CheckHeader(bytes, error)) return std::nullopt;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  SDL_Surface* loaded = rw ? SDL_LoadBMP_RW(rw, 1) : nullptr;
  if (!loaded) {
    if (error) *error = std::string("damaged BMP file: ") + SDL_GetError();
    return std::nullopt;
  }
  if (loaded->w <= 0 || loaded->h <= 0 || loaded->w > kMaxSide || loaded->h > kMaxSide ||
      int64_t{loaded->w} * loaded->h > kMaxPixels) {
    SDL_FreeSurface(loaded);
    if (error) *error = "damaged BMP file: impossible picture size";
    return std::nullopt;
  }
  Bitmap bmp(loaded->w, loaded->h);
  bool ok = true;
  SDL_LockSurface(loaded);
  if (SDL_Palette* pal = loaded->format->palette) {
    // Palettised (1, 4 and 8 bits come as one byte a pixel): each pixel
    // through the palette, in one pass.
    for (int i = 0; i < pal->ncolors; ++i)
      bmp.palette.push_back(Rgb(pal->colors[i].r, pal->colors[i].g, pal->colors[i].b));
    std::array<Color, 256> colours{};
    std::copy(bmp.palette.begin(), bmp.palette.end(), colours.begin());
    for (int y = 0; y < loaded->h; ++y) {
      const uint8_t* src = static_cast<const uint8_t*>(loaded->pixels) +
                           static_cast<size_t>(y) * loaded->pitch;
      Color* dst = bmp.row(y);
      for (int x = 0; x < loaded->w; ++x) dst[x] = colours[src[x]];
    }
  } else {
    ok = SDL_ConvertPixels(loaded->w, loaded->h, loaded->format->format, loaded->pixels,
                           loaded->pitch, SDL_PIXELFORMAT_RGB888, bmp.row(0),
                           loaded->w * static_cast<int>(sizeof(Color))) == 0;
    for (int y = 0; ok && y < loaded->h; ++y) {
      Color* row = bmp.row(y);
      for (int x = 0; x < loaded->w; ++x) row[x] &= kColorMask;
    }
  }
  SDL_UnlockSurface(loaded);
  SDL_FreeSurface(loaded);
  if (!ok) {
    if (error) *error = std::string("damaged BMP file: ") + SDL_GetError();
    return std::nullopt;
  }
  return bmp;
}

}  // namespace velmor::platform
