// Any bytes as a BMP file: decoded or refused with a reason, never a crash.
#include <cstddef>
#include <cstdint>

#include "formats/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto bmp = velmor::formats::DecodeBmp({data, size});
  if (bmp && (bmp->width() <= 0 || bmp->height() <= 0)) __builtin_trap();
  if (!bmp && bmp.fault().what.empty()) __builtin_trap();  // refused without a reason
  return 0;
}
