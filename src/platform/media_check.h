// Sound files checked before any decoder sees them. A WAVE or MIDI file from
// the data folder may be damaged; the decoders behind the media player trust
// what they are given (a MIDI track whose length points past the end of the
// file makes the synthesiser spin), so every file is walked here first, and
// only files that hold together are handed over, rebuilt to the parts the
// decoder needs.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmor::platform {

class Files;

enum class MediaKind { Wave, Midi };

// The kind a path names by its extension (".WAV" or ".MID", any letter case),
// as the media service chooses its device; nothing for any other name.
std::optional<MediaKind> MediaKindOf(std::string_view path);

struct WaveSummary {
  uint16_t format_tag = 0;  // 1 PCM, 3 float, 6 A-law, 7 mu-law (after WAVE_FORMAT_EXTENSIBLE)
  uint16_t channels = 0;
  uint32_t sample_rate = 0;
  uint16_t bits = 0;
  uint32_t data_size = 0;  // bytes of sound data
  uint32_t length_ms = 0;  // playing time, rounded up
  // The file as the decoder gets it: "RIFF" "WAVE", the "fmt " chunk and the
  // "data" chunk, nothing else (no loop points, no tags).
  std::vector<uint8_t> clean;
};

// Walks a RIFF WAVE file: the "fmt " chunk (an encoding the player can sound:
// PCM of 8, 16, 24 or 32 bits, float of 32 or 64 bits, 8-bit A-law or
// mu-law; 1 to 8 channels) and the "data" chunk must both be present and lie
// within the file. On failure returns nothing and says why in *fault.
std::optional<WaveSummary> CheckWave(std::span<const uint8_t> bytes, std::string* fault);

struct MidiSummary {
  uint16_t format = 0;  // 0 or 1
  uint16_t tracks = 0;
  uint16_t division = 0;   // ticks per quarter note
  uint64_t end_tick = 0;   // the last end of track
  uint32_t length_ms = 0;  // playing time by the tempo map, rounded up
  // The Standard MIDI File as the synthesiser gets it (unwrapped from a RIFF
  // "RMID" file).
  std::vector<uint8_t> clean;
};

// Walks a Standard MIDI File (or one wrapped in a RIFF "RMID" file): the
// header chunk, as many track chunks as it announces, every chunk within the
// file, and every track's events parsed up to an end-of-track event inside
// its chunk (running status only after a channel message; meta events of a
// fixed size with that size; data bytes below 0x80). On failure returns
// nothing and says why in *fault.
std::optional<MidiSummary> CheckMidi(std::span<const uint8_t> bytes, std::string* fault);

// A sound file read, checked and ready for a decoder.
struct MediaFile {
  MediaKind kind = MediaKind::Wave;
  uint32_t length_ms = 0;
  std::vector<uint8_t> clean;  // the bytes for the decoder
};

// Reads `path` (a game path) through `files` and checks it as the kind its
// extension names. On failure returns nothing with the reason in *error: the
// file service's own text when it cannot be read, else the path followed by
// the fault ("...\SOUND\BGM01.MID: damaged MIDI file: track 1 runs past the
// end of the file").
std::optional<MediaFile> ReadMediaFile(Files& files, std::string_view path, std::string* error);

}  // namespace velmor::platform
