#include "formats/media_file.h"

#include <span>

#include "formats/midi.h"
#include "formats/wave.h"

namespace velmor::formats {

namespace {

// What a checked WAVE file is to the players.
MediaFile WaveMedia(const WaveSummary& w) {
  MediaFile out;
  out.kind = MediaKind::Wave;
  out.length_ms = w.length_ms;
  out.wave_format = w.format_tag;
  out.wave_frames = w.frames;
  return out;
}

FormatResult<MediaFile> WaveFile(std::span<const uint8_t> bytes) {
  auto w = CheckWave(bytes);
  if (!w) return w.fault();
  MediaFile out = WaveMedia(*w);
  out.clean = std::move(w->clean);
  return out;
}

}  // namespace

FormatResult<MediaFile> CheckWaveFileParts(const std::shared_ptr<ByteSource>& file) {
  std::shared_ptr<ByteSource> source;
  auto w = CheckWaveParts(file, &source);
  if (!w) return w.fault();
  MediaFile out = WaveMedia(*w);
  out.wave_source = std::move(source);
  return out;
}

namespace {

FormatResult<MediaFile> MidiFile(std::span<const uint8_t> bytes) {
  auto m = CheckMidi(bytes);
  if (!m) return m.fault();
  MediaFile out;
  out.kind = MediaKind::Midi;
  out.length_ms = m->length_ms;
  out.midi_tempo = std::move(m->tempo_map);
  out.clean = std::move(m->clean);
  return out;
}

}  // namespace

std::optional<MediaKind> MediaKindOf(std::string_view path) {
  if (path.size() < 4) return std::nullopt;
  std::string ext(path.substr(path.size() - 4));
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (ext == ".WAV") return MediaKind::Wave;
  if (ext == ".MID") return MediaKind::Midi;
  return std::nullopt;
}

FormatResult<MediaFile> CheckMediaFile(MediaKind kind, std::span<const uint8_t> bytes) {
  return kind == MediaKind::Wave ? WaveFile(bytes) : MidiFile(bytes);
}

}  // namespace velmor::formats
