// The one sound channel: a media player that opens a WAVE or MIDI file and
// plays it once. The game repeats a piece itself, by playing it again when
// the player reports it stopped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/texts.h"
#include "formats/media_file.h"
#include "platform/files.h"

namespace velmor::platform {

enum class MediaMode { NotReady, Stopped, Playing };

// "not ready", "stopped" or "playing", as the state output spells it.
constexpr std::string_view MediaModeName(MediaMode mode) {
  switch (mode) {
    case MediaMode::Stopped:
      return "stopped";
    case MediaMode::Playing:
      return "playing";
    case MediaMode::NotReady:
      break;
  }
  return "not ready";
}

// The error codes a command leaves behind (Error()).
namespace media_error {
constexpr int kNone = 0;
// The file is missing or cannot be read (Open fails with the file service's
// text).
constexpr int kCannotOpen = 1;
// A command that needs an open file found none.
constexpr int kNoDevice = 2;
// The file is open but there is no way to sound it: no audio output, or no
// synthesiser for MIDI.
constexpr int kNoOutput = 3;
// The audio output refused to start.
constexpr int kPlayFailed = 4;
// The file was read but the player refuses what it holds: damaged, not of
// the kind its name says, or in an encoding the player cannot sound (Open
// fails with a text naming the file and the fault).
constexpr int kRefused = 5;
}  // namespace media_error

// Reads `path` (a game path) through `files` and checks it as the kind its
// extension names, for a player's decoder. On failure returns nothing with
// the reason in *error: the file service's own text when it cannot be read,
// else the path followed by the fault ("...\SOUND\BGM01.MID: damaged MIDI
// file: track 1 runs past the end of the file"); *code (when given) is set
// on failure only: media_error::kCannotOpen for a file that cannot be read,
// kRefused for one whose name or content the checks refuse.
inline std::optional<formats::MediaFile> ReadMediaFile(Files& files, std::string_view path,
                                                       std::string* error, int* code = nullptr) {
  const std::string path_text(path);
  const std::optional<formats::MediaKind> kind = formats::MediaKindOf(path);
  auto fail = [&](int why, std::string text) -> std::optional<formats::MediaFile> {
    if (code) *code = why;
    if (error) *error = std::move(text);
    return std::nullopt;
  };
  if (!kind)
    return fail(media_error::kRefused, Fill(Tr("%s: not a WAVE or MIDI file name"), {path_text}));
  std::string read_error;
  std::optional<std::vector<uint8_t>> bytes;
  formats::FormatResult<formats::MediaFile> checked = formats::Fault("");
  if (*kind == formats::MediaKind::Wave) {
    // A large sound is read a piece at a time as it plays, never held whole.
    auto source = files.OpenSource(path, &read_error);
    if (!source) return fail(media_error::kCannotOpen, read_error);
    if (source->Size() > formats::kWholeWaveBytes) {
      checked = formats::CheckWaveFileParts(source);
    } else {
      bytes.emplace(static_cast<std::size_t>(source->Size()));
      if (!source->ReadAt(0, *bytes))
        return fail(media_error::kCannotOpen, Fill(Tr("%s: cannot be read"), {path_text}));
    }
  } else {
    bytes = files.ReadFile(path, &read_error);
    if (!bytes) return fail(media_error::kCannotOpen, read_error);
  }
  if (bytes) checked = formats::CheckMediaFile(*kind, *bytes);
  if (!checked)
    return fail(media_error::kRefused, std::move(checked).Named(path_text).fault().Text());
  return std::move(*checked);
}

// The text of the no-device error: a command needed an open file.
constexpr std::string_view kNoDeviceText = "The media device is not open.";

class MediaPlayer {
 public:
  virtual ~MediaPlayer() = default;

  // The file to open (a Shift-JIS path as the game builds it); setting it
  // opens nothing. It keeps the path of a file that failed to open.
  const std::string& FileName() const { return file_name_; }
  void SetFileName(std::string path) { file_name_ = std::move(path); }

  // Closes any open file, then opens FileName(). False, with the media
  // service's error text in *error, when it cannot be opened; no file is
  // open then, and Error() tells a file that cannot be read (kCannotOpen)
  // from one whose content is refused (kRefused).
  virtual bool Open(std::string* error) = 0;
  // Starts playing and returns at once; at the end of the media it first
  // rewinds; after Stop it goes on from where it stopped. Records the error
  // code.
  virtual void Play() = 0;
  // Plays from `ms` milliseconds into the open piece, whether it was
  // playing, stopped or at its end: a WAVE piece from the sample frame at
  // that time, a MIDI piece from the tick its tempo map puts there. A time
  // at or past the end, or a piece the player cannot seek in, plays from
  // the start. Records the error code as Play does.
  virtual void PlayFrom(uint32_t ms) = 0;
  // Where the open piece stands, in milliseconds from its start, whether it
  // plays or stands stopped: what PlayFrom takes to go on from there. 0
  // without an open file; the piece's length at its end.
  virtual uint32_t PositionMs() const = 0;
  // Stops playing; the file stays open. Without an open file it fails with
  // the no-device error (false, kNoDeviceText in *error).
  virtual bool Stop(std::string* error) = 0;
  // NotReady without an open file; Stopped at the end of the media or after
  // Stop; Playing while it plays.
  virtual MediaMode Mode() = 0;
  // The error code of the last command, 0 on success.
  virtual int Error() const = 0;
  // While it plays, about how many milliseconds until Mode() turns Stopped
  // (the game need not look before then); 0 otherwise.
  virtual uint32_t MsUntilStopped() = 0;
  // The path of the open file as it was opened; empty when none is open.
  virtual const std::string& OpenedFile() const = 0;
  // How loud what plays sounds, from 0 (silent) to 100 (as the piece has
  // it; the start); values outside are brought into the range. It holds for
  // the piece playing and every piece after.
  virtual void SetVolume(int percent) = 0;

 private:
  std::string file_name_;
};

}  // namespace velmor::platform
