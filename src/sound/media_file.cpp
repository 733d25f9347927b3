#include "sound/media_file.h"

#include <span>

#include "formats/midi.h"
#include "formats/wave.h"
#include "platform/files.h"
#include "platform/media_player.h"

namespace velmor::sound {

using platform::media_error::kCannotOpen;
using platform::media_error::kRefused;

namespace {

formats::FormatResult<MediaFile> WaveFile(std::span<const uint8_t> bytes) {
  auto w = formats::CheckWave(bytes);
  if (!w) return w.fault();
  MediaFile out;
  out.kind = MediaKind::Wave;
  out.length_ms = w->length_ms;
  out.wave_format = w->format_tag;
  out.wave_frames = w->frames;
  out.clean = std::move(w->clean);
  return out;
}

formats::FormatResult<MediaFile> MidiFile(std::span<const uint8_t> bytes) {
  auto m = formats::CheckMidi(bytes);
  if (!m) return m.fault();
  MediaFile out;
  out.kind = MediaKind::Midi;
  out.length_ms = m->length_ms;
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

std::optional<MediaFile> ReadMediaFile(platform::Files& files, std::string_view path, std::string* error,
                                       int* code) {
  std::string path_text(path);
  auto kind = MediaKindOf(path);
  if (!kind) {
    if (code) *code = kRefused;
    if (error) *error = path_text + ": not a WAVE or MIDI file name";
    return std::nullopt;
  }
  std::string read_error;
  auto bytes = files.ReadFile(path, &read_error);
  if (!bytes) {
    if (code) *code = kCannotOpen;
    if (error) *error = read_error;
    return std::nullopt;
  }
  auto checked = *kind == MediaKind::Wave ? WaveFile(*bytes) : MidiFile(*bytes);
  if (!checked) {
    if (code) *code = kRefused;
    if (error) *error = std::move(checked).Named(path_text).fault().Text();
    return std::nullopt;
  }
  return std::move(*checked);
}

}  // namespace velmor::sound
