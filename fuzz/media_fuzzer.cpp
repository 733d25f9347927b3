// Any bytes as a WAVE or a MIDI file: checked and summed up or refused with
// a reason, never a crash; and what passes holds what the players rely on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/media_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  std::string fault;
  if (auto wave = velmor::platform::CheckWave(bytes, &fault)) {
    (void)wave;
  } else if (fault.empty()) {
    __builtin_trap();  // refused without a reason
  }
  fault.clear();
  if (auto midi = velmor::platform::CheckMidi(bytes, &fault)) {
    // The synthesiser gets a plain Standard MIDI File, never more than given.
    if (midi->clean.size() > size || midi->clean.size() < 14) __builtin_trap();
  } else if (fault.empty()) {
    __builtin_trap();
  }
  return 0;
}
