// WAVE pieces made ready for the sound output: decoded by SDL's WAVE loader
// and converted to the output's format, whole (DecodeWaveToPcm) or a piece
// at a time as the output asks for them (WaveStream, which also reads and
// decodes the file a piece at a time).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "formats/wave.h"
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

// A checked WAVE file played from its decoded samples, converted to the
// output's format a piece at a time as it is read: what is held converted
// stays under a second or so of the output, however slow the file's rate
// (a 1 Hz file converted whole to 44.1 kHz would be 44,100 output frames for
// each of its frames). It gives the frames DecodeWaveToPcm gives, and the
// same samples to within a step of rounding. Not thread-safe: the output
// reads it with the audio lock held.
class WaveStream {
 public:
  // Nothing, with *why set, when SDL cannot decode or convert the file.
  static std::unique_ptr<WaveStream> Open(std::span<const uint8_t> clean, uint64_t frames,
                                          const OutputFormat& format, std::string* why);
  // The same for a clean file read a piece at a time as it plays (a file
  // too large to hold: formats::CheckWaveParts' source): only the blocks
  // of the piece being converted and the margins around it are held
  // decoded. A piece that cannot be read then (the file changed or went)
  // plays as silence.
  static std::unique_ptr<WaveStream> Open(std::shared_ptr<formats::ByteSource> clean,
                                          uint64_t frames, const OutputFormat& format,
                                          std::string* why);
  ~WaveStream();
  WaveStream(const WaveStream&) = delete;
  WaveStream& operator=(const WaveStream&) = delete;

  // Whole frames of the output's format from where the sound stands, at
  // most `bytes`; fewer only at its end.
  std::size_t Read(uint8_t* out, std::size_t bytes);
  // Back to the start.
  void Rewind();
  // To output frame `frame` (the end at or past it): what Read gives from
  // there is what it gives there when read from the start.
  void Seek(uint64_t frame);
  bool AtEnd() const { return given_ >= frames_; }
  uint64_t Frames() const { return frames_; }  // in all, at the output's rate
  uint64_t Given() const { return given_; }    // read so far
  // The most bytes held at once (a piece read and decoded with its
  // margins, SDL's conversion of it, and the piece converted).
  std::size_t MostHeld() const { return most_held_; }

 private:
  struct Source;
  WaveStream(std::unique_ptr<Source> source, const OutputFormat& format);
  // Converts the next piece into pending_; false at the file's end.
  bool Feed();

  std::unique_ptr<Source> source_;
  OutputFormat format_;
  uint64_t frames_ = 0;  // output frames in all
  uint64_t given_ = 0;
  uint64_t fed_ = 0;     // the file's frames converted
  std::vector<uint8_t> pending_;  // the piece converted, from pending_at_ on not yet read
  std::size_t pending_at_ = 0;
  std::size_t most_held_ = 0;
};

}  // namespace velmor::platform::sdl
