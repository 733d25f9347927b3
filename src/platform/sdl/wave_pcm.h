// WAVE pieces made ready for the sound output: decoded by SDL's WAVE loader
// and converted once to the output's format, so that the audio thread only
// copies them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/sdl/audio_output.h"

namespace velmor::platform::sdl {

// A checked WAVE file (formats::CheckWave's `clean` bytes) as the output plays it:
// its first `frames` sample frames, decoded (PCM of any width, float, A-law,
// mu-law, MS ADPCM, IMA ADPCM) and converted to `format`'s rate and
// channels, 16-bit. The result holds frames x format.rate / the file's rate
// frames, rounded down. Nothing, with *why set, when SDL cannot decode or
// convert the file, or the piece would not fit in memory.
std::optional<std::vector<uint8_t>> DecodeWaveToPcm(std::span<const uint8_t> clean,
                                                    uint64_t frames, const OutputFormat& format,
                                                    std::string* why);

}  // namespace velmor::platform::sdl
