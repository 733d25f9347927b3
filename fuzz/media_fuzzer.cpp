// Any bytes as a WAVE or a MIDI file: checked and summed up or refused with
// a reason, never a crash; and what passes holds what the players rely on.
// A WAVE file checked in parts gets the verdict it gets checked whole.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "formats/midi.h"
#include "formats/wave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  auto wave = velmor::formats::CheckWave(bytes);
  if (!wave && wave.fault().what.empty()) __builtin_trap();  // refused without a reason
  // Read in parts (a large file as it plays), the same verdict, and the
  // decoder reads the same clean file.
  std::shared_ptr<velmor::formats::ByteSource> source;
  auto parts = velmor::formats::CheckWaveParts(
      std::make_shared<velmor::formats::MemorySource>(std::vector<uint8_t>(bytes.begin(), bytes.end())),
      &source);
  // (Apart from a "fmt " chunk of over a megabyte, which only parts refuse.)
  if (!parts && parts.fault().what.ends_with("chunk is too long")) return 0;
  if (bool(parts) != bool(wave)) __builtin_trap();
  if (!wave && parts.fault().what != wave.fault().what) __builtin_trap();
  if (wave) {
    std::vector<uint8_t> clean(static_cast<std::size_t>(source->Size()));
    if (parts->frames != wave->frames || parts->length_ms != wave->length_ms ||
        !source->ReadAt(0, clean) || clean != wave->clean)
      __builtin_trap();
  }
  if (auto midi = velmor::formats::CheckMidi(bytes)) {
    // The synthesiser gets a plain Standard MIDI File, never more than given.
    if (midi->clean.size() > size || midi->clean.size() < 14) __builtin_trap();
  } else if (midi.fault().what.empty()) {
    __builtin_trap();
  }
  return 0;
}
