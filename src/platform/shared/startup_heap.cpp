#include "platform/shared/startup_heap.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The C library says who it is in its own headers, included above.
#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace velmor::platform {

#if defined(__GLIBC__)

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// What start-up allocates on the main thread (seven 640 x 480 pictures,
// the files they come from, the window's buffers) fits with room to spare.
constexpr int kStartupPad = 24 << 20;
// The library's documented starting pad.
constexpr int kUsualTopPad = 128 * 1024;
// A block this large is mapped apart and given back when freed: a decoded
// piece of music, not a picture.
constexpr int kAfterMmapThreshold = 4 << 20;

// Grows the heap by the pad now, in one piece, and advises it for huge
// pages (ignored where the system has none).
void GrowAdvised() {
  auto* before = static_cast<char*>(sbrk(0));
  void* volatile probe = std::malloc(4 << 20);  // more than the top holds: it grows
  std::free(probe);
  auto* after = static_cast<char*>(sbrk(0));
  const auto from = (reinterpret_cast<std::uintptr_t>(before) + kHugePage - 1) & ~(kHugePage - 1);
  const auto to = reinterpret_cast<std::uintptr_t>(after);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

}  // namespace

StartupHeap::StartupHeap() {
  mallopt(M_MMAP_THRESHOLD, kStartupPad);
  mallopt(M_TRIM_THRESHOLD, 2 * kStartupPad);
  mallopt(M_TOP_PAD, kStartupPad);
  GrowAdvised();
}

void StartupHeap::End() {
  if (ended_) return;
  ended_ = true;
  mallopt(M_TOP_PAD, kUsualTopPad);
  mallopt(M_MMAP_THRESHOLD, kAfterMmapThreshold);
  mallopt(M_TRIM_THRESHOLD, 2 * kAfterMmapThreshold);
  malloc_trim(0);
}

#else

StartupHeap::StartupHeap() = default;
void StartupHeap::End() { ended_ = true; }

#endif

}  // namespace velmor::platform
