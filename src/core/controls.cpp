#include "core/controls.h"

#include "core/byte_string.h"

namespace velmor {

void Edit::SetText(const std::string& sjis) {
  std::string kept;
  for (std::size_t i = 0; i < sjis.size();) {
    std::size_t n = IsLeadByte(static_cast<uint8_t>(sjis[i])) ? 2 : 1;
    if (i + n > sjis.size() || kept.size() + n > max_bytes) break;
    kept.append(sjis, i, n);
    i += n;
  }
  text = std::move(kept);
}

}  // namespace velmor
