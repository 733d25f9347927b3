// The start-up heap: while it lives, large blocks come from the main heap,
// which has been advised for huge pages; once it ends they are mapped apart
// again, as a decoded piece of music should be.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/shared/startup_heap.h"

namespace velmor::testing {
namespace {

// A sanitizer's allocator keeps blocks its own way.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMOR_OWN_ALLOCATOR 1
#endif
#endif
#if defined(__GLIBC__) && !defined(VELMOR_OWN_ALLOCATOR) && !defined(__SANITIZE_ADDRESS__)

// Whether a block lies in the main heap (below its break) rather than in a
// mapping of its own (placed far above by the system).
bool InMainHeap(const void* p) { return p < sbrk(0); }

// The flags of the mappings that hold the main heap.
std::string HeapFlags() {
  std::ifstream maps("/proc/self/smaps");
  std::string line, flags;
  bool heap = false;
  while (std::getline(maps, line)) {
    if (!line.empty() && std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') < 16)
      heap = line.find("[heap]") != std::string::npos;
    if (heap && line.rfind("VmFlags:", 0) == 0) flags += line;
  }
  return flags;
}

TEST(StartupHeap, LargeBlocksComeFromTheAdvisedHeapOnlyWhileItLives) {
  platform::StartupHeap heap;
  void* picture = std::malloc(3 << 20);
  EXPECT_TRUE(InMainHeap(picture));
  std::free(picture);
  if (std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled")) {
    EXPECT_NE(HeapFlags().find(" hg"), std::string::npos) << HeapFlags();
  }
  heap.End();
  heap.End();  // a second end changes nothing
  void* music = std::malloc(8 << 20);
  EXPECT_FALSE(InMainHeap(music));
  std::free(music);
}

#endif

}  // namespace
}  // namespace velmor::testing
