// Sound files read from the data folder and checked before any decoder sees
// them: the decoders behind the media player trust what they are given, so
// every file is walked by its format's check first (formats/wave.h,
// formats/midi.h), and only files that hold together are handed over,
// rebuilt to the parts the decoder needs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmor::platform {
class Files;
}

namespace velmor::sound {

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

// Reads `path` (a game path) through `files` and checks it as the kind its
// extension names. On failure returns nothing with the reason in *error: the
// file service's own text when it cannot be read, else the path followed by
// the fault ("...\SOUND\BGM01.MID: damaged MIDI file: track 1 runs past the
// end of the file"); *code (when given) is set on failure only:
// platform::media_error::kCannotOpen for a file that cannot be read, kRefused for one
// whose name or content the checks refuse.
std::optional<MediaFile> ReadMediaFile(platform::Files& files, std::string_view path, std::string* error,
                                       int* code = nullptr);

}  // namespace velmor::sound
