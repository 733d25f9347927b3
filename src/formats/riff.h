// RIFF files (WAVE sounds, "RMID" wrapped MIDI): the chunks after the
// 12-byte "RIFF" <size> <form> header, each a four-character tag, a
// little-endian size and a body padded to an even length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/result.h"

namespace velmor::formats {

// Whether the bytes at `at` are `tag` (false when they are not all there).
bool HasTag(std::span<const uint8_t> bytes, std::size_t at, std::string_view tag);

// A chunk tag for a message: four printable characters in quotes
// ("\"LIST\"") or their hex codes ("00 FF 12 34").
std::string TagText(const uint8_t* tag);

// Whether the file starts "RIFF" <size> `form`.
bool IsRiff(std::span<const uint8_t> bytes, std::string_view form);

// One RIFF chunk's body: where it starts and how long it is.
struct RiffChunk {
  std::size_t at = 0;
  uint32_t size = 0;
};

// The first chunk tagged `tag`, walking from offset 12 on. Nothing when
// there is none. A chunk before it (or it) whose body runs past the end of
// the file is a fault: "chunk \"LIST\" runs past the end of the file".
FormatResult<std::optional<RiffChunk>> FindRiffChunk(std::span<const uint8_t> bytes,
                                                     std::string_view tag);

// Appends a chunk: tag, size, body and the pad byte of an odd-sized body.
void PutRiffChunk(std::vector<uint8_t>& out, std::string_view tag, std::span<const uint8_t> body);

}  // namespace velmor::formats
