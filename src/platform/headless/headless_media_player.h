// The media player of the headless platform: no audio device, time moves
// only when the runner says so. It opens the real files through the file
// service and checks them exactly as the real player does, so a missing or
// damaged file fails the same way; a piece lasts as long as its header says
// (a WAVE file: its data at its sample rate; a MIDI file: its ticks through
// its tempo map).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/media_player.h"

namespace velmor::platform {

class Files;

class HeadlessMediaPlayer : public MediaPlayer {
 public:
  explicit HeadlessMediaPlayer(Files& files) : files_(files) {}

  bool Open(std::string* error) override;
  void Play() override;
  void PlayFrom(uint32_t ms) override;
  bool Stop(std::string* error) override;
  MediaMode Mode() override { return mode_; }
  uint32_t MsUntilStopped() override {
    return mode_ == MediaMode::Playing && length_ms_ > position_ms_ ? length_ms_ - position_ms_ : 0;
  }
  int Error() const override { return error_; }
  const std::string& OpenedFile() const override { return opened_; }
  void SetVolume(int percent) override {
    volume_ = percent < 0 ? 0 : percent > 100 ? 100 : percent;
  }
  int Volume() const { return volume_; }

  // Time passes: a playing piece moves on and stops at its end. The
  // headless runner calls this once a tick with the tick's 20 ms.
  void Advance(uint32_t ms);

  // Play fails (kNoOutput, nothing sounds) for every file whose path ends
  // with `suffix`, letter case ignored (".WAV": no WAVE output, ".MID": no
  // synthesiser). Several suffixes may be set.
  void FailPlayFor(std::string suffix) { fail_play_.push_back(std::move(suffix)); }

  std::string_view ModeName() const { return MediaModeName(mode_); }
  uint32_t PositionMs() const override { return position_ms_; }
  uint32_t LengthMs() const { return length_ms_; }
  // The newest commands (at least kKeptCommands, at most twice as many)
  // with their outcome, in order: "open PATH", "open PATH failed", "play",
  // "play failed", "play from MS", "play from MS failed", "stop", "stop
  // failed".
  static constexpr std::size_t kKeptCommands = 1024;
  const std::vector<std::string>& Commands() const { return commands_; }
  void ClearCommands() { commands_.clear(); }

 private:
  int volume_ = 100;
  void Close();
  bool PlayFails() const;
  // Play's checks; kNone when the piece may play.
  int PlayError() const;
  void Record(std::string command);

  Files& files_;
  std::string opened_;  // empty: no file open
  MediaMode mode_ = MediaMode::NotReady;
  int error_ = media_error::kNone;
  uint32_t length_ms_ = 0;
  uint32_t position_ms_ = 0;
  std::vector<std::string> fail_play_;
  std::vector<std::string> commands_;
};

}  // namespace velmor::platform
