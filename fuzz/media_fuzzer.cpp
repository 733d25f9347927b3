// Any bytes as a WAVE or a MIDI file: checked and summed up or refused with
// a reason, never a crash; and what passes holds what the players rely on.
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/midi.h"
#include "formats/wave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  if (auto wave = velmor::formats::CheckWave(bytes); !wave && wave.fault().what.empty())
    __builtin_trap();  // refused without a reason
  if (auto midi = velmor::formats::CheckMidi(bytes)) {
    // The synthesiser gets a plain Standard MIDI File, never more than given.
    if (midi->clean.size() > size || midi->clean.size() < 14) __builtin_trap();
  } else if (midi.fault().what.empty()) {
    __builtin_trap();
  }
  return 0;
}
