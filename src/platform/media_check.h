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

// WAVE encodings (format tags) the checks know by name.
namespace wave_format {
constexpr uint16_t kPcm = 1;
constexpr uint16_t kMsAdpcm = 2;
constexpr uint16_t kFloat = 3;
constexpr uint16_t kALaw = 6;
constexpr uint16_t kMuLaw = 7;
constexpr uint16_t kImaAdpcm = 0x11;
constexpr uint16_t kExtensible = 0xFFFE;
}  // namespace wave_format

// Whether a WAVE encoding is one of the two ADPCM kinds, whose blocks the
// checks walk one by one.
constexpr bool IsAdpcm(uint16_t format_tag) {
  return format_tag == wave_format::kMsAdpcm || format_tag == wave_format::kImaAdpcm;
}

struct WaveSummary {
  uint16_t format_tag = 0;  // wave_format::k... (after WAVE_FORMAT_EXTENSIBLE)
  uint16_t channels = 0;
  uint32_t sample_rate = 0;
  uint16_t bits = 0;
  uint16_t block_align = 0;
  uint32_t samples_per_block = 0;  // ADPCM: sample frames a whole block holds
  uint32_t data_size = 0;          // bytes of sound data
  uint64_t frames = 0;             // sample frames it plays
  uint32_t length_ms = 0;          // playing time, rounded up
  // The file as the decoder gets it: "RIFF" "WAVE", the "fmt " chunk and the
  // "data" chunk, nothing else (no loop points, no tags). ADPCM data is cut
  // to whole blocks, a final partial block that holds samples filled up
  // with zeros to a whole one (the decoder plays only whole blocks; the
  // samples past `frames` are not part of the sound).
  std::vector<uint8_t> clean;
};

// Walks a RIFF WAVE file: the "fmt " chunk (an encoding the player can sound:
// PCM of 8, 16, 24 or 32 bits, float of 32 or 64 bits, 8-bit A-law or
// mu-law, 4-bit MS ADPCM (1 or 2 channels) or IMA ADPCM; 1 to 8 channels)
// and the "data" chunk must both be present and lie within the file. ADPCM
// also needs a block layout that holds together (the block size holds the
// block headers and the samples a block announces; MS ADPCM: its standard
// predictor table, and every block naming a predictor of the table). On
// failure returns nothing and says why in *fault.
//
// The playing time of PCM and the like is the data at the rate it plays; of
// ADPCM, the sample frames of the "fact" chunk when it has a count other
// than 0 (never more than the data holds), else those of the whole blocks
// plus the whole frames of a final partial block.
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
  uint16_t wave_format = 0;    // WAVE: its encoding (wave_format::k...)
  uint64_t wave_frames = 0;    // WAVE: the sample frames it plays
  std::vector<uint8_t> clean;  // the bytes for the decoder
};

// Reads `path` (a game path) through `files` and checks it as the kind its
// extension names. On failure returns nothing with the reason in *error: the
// file service's own text when it cannot be read, else the path followed by
// the fault ("...\SOUND\BGM01.MID: damaged MIDI file: track 1 runs past the
// end of the file"); *code (when given) is set on failure only:
// media_error::kCannotOpen for a file that cannot be read, kRefused for one
// whose name or content the checks refuse.
std::optional<MediaFile> ReadMediaFile(Files& files, std::string_view path, std::string* error,
                                       int* code = nullptr);

}  // namespace velmor::platform
