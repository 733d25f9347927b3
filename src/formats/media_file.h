// Sound files checked before any decoder sees them: the decoders behind the
// media players trust what they are given, so every file is walked by its
// format's check first (formats/wave.h, formats/midi.h), and only files that
// hold together are handed over, rebuilt to the parts the decoder needs.
// (platform/media_player.h reads them from the data folder.)
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <span>

#include "formats/byte_source.h"
#include "formats/midi.h"
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
  MidiTempoMap midi_tempo;     // MIDI: when its ticks sound
  std::vector<uint8_t> clean;  // the bytes for the decoder
  // A WAVE file too large to hold whole: the clean file read from the file
  // a piece at a time as it plays (formats::CheckWaveParts), `clean` empty.
  std::shared_ptr<ByteSource> wave_source;
};

// Checks the bytes of a sound file as `kind`: the file ready for a decoder,
// or the fault.
FormatResult<MediaFile> CheckMediaFile(MediaKind kind, std::span<const uint8_t> bytes);

// A WAVE file larger than this is checked and played a piece at a time.
constexpr uint64_t kWholeWaveBytes = uint64_t{1} << 20;

// Checks a WAVE file of more than kWholeWaveBytes a part at a time: the
// file ready for a decoder that reads it as it plays (`wave_source`), or
// the fault.
FormatResult<MediaFile> CheckWaveFileParts(const std::shared_ptr<ByteSource>& file);

}  // namespace velmor::formats
