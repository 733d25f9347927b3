// Any bytes as a BMP file: decoded or refused, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  auto bmp = velmor::formats::DecodeBmp({data, size}, &error);
  if (bmp && (bmp->width() <= 0 || bmp->height() <= 0)) __builtin_trap();
  return 0;
}
