// Sound files checked before any decoder sees them: the decoders behind the
// media players trust what they are given, so every file is walked by its
// format's check first (formats/wave.h, formats/midi.h), and only files that
// hold together are handed over, rebuilt to the parts the decoder needs.
// (platform/media_player.h reads them from the data folder.)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <span>

#include "formats/result.h"

namespace velmor::formats {

enum class MediaKind { Wave, Midi };

// The kind a path names by its extension (".WAV" or ".MID", any letter case),
// as the media service chooses its device; nothing for any other name.
std::optional<MediaKind> MediaKindOf(std::string_view path);

// A sound file read, checked and ready for a decoder.
struct MediaFile {
  MediaKind kind = MediaKind::Wave;
  uint32_t length_ms = 0;
  uint16_t wave_format = 0;    // WAVE: its encoding (formats::wave_format::k...)
  uint64_t wave_frames = 0;    // WAVE: the sample frames it plays
  std::vector<uint8_t> clean;  // the bytes for the decoder
};

// Checks the bytes of a sound file as `kind`: the file ready for a decoder,
// or the fault.
FormatResult<MediaFile> CheckMediaFile(MediaKind kind, std::span<const uint8_t> bytes);

}  // namespace velmor::formats
