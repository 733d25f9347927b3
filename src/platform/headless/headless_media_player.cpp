#include "platform/headless/headless_media_player.h"

#include <algorithm>

#include "formats/media_file.h"

namespace velmor::platform {

namespace {

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (suffix.size() > text.size()) return false;
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  return std::equal(suffix.begin(), suffix.end(),
                    text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                    [&](char a, char b) { return upper(a) == upper(b); });
}

}  // namespace

void HeadlessMediaPlayer::Close() {
  opened_.clear();
  mode_ = MediaMode::NotReady;
  length_ms_ = 0;
  position_ms_ = 0;
}

void HeadlessMediaPlayer::Record(std::string command) {
  // Mended: every command was kept, so a music loop grew the log without
  // bound (116 MB after 6,000 ticks). The newest kKeptCommands at least are
  // kept; the older half goes at once when twice as many have gathered.
  if (commands_.size() >= 2 * kKeptCommands)
    commands_.erase(commands_.begin(), commands_.end() - kKeptCommands);
  commands_.push_back(std::move(command));
}

bool HeadlessMediaPlayer::Open(std::string* error) {
  Close();
  std::string why;
  int code = media_error::kNone;
  auto file = platform::ReadMediaFile(files_, FileName(), &why, &code);
  if (!file) {
    error_ = code;
    Record("open " + FileName() + " failed");
    if (error) *error = why;
    return false;
  }
  opened_ = FileName();
  length_ms_ = file->length_ms;
  mode_ = MediaMode::Stopped;
  error_ = media_error::kNone;
  Record("open " + opened_);
  return true;
}

bool HeadlessMediaPlayer::PlayFails() const {
  return std::any_of(fail_play_.begin(), fail_play_.end(),
                     [&](const std::string& s) { return EndsWithIgnoringCase(opened_, s); });
}

int HeadlessMediaPlayer::PlayError() const {
  if (opened_.empty()) return media_error::kNoDevice;
  if (PlayFails()) return media_error::kNoOutput;
  return media_error::kNone;
}

void HeadlessMediaPlayer::Play() {
  error_ = PlayError();
  if (error_ == media_error::kNone && mode_ != MediaMode::Playing) {
    if (position_ms_ >= length_ms_) position_ms_ = 0;  // at the end: rewind first
    // A piece of no length is over as soon as it starts.
    mode_ = length_ms_ > 0 ? MediaMode::Playing : MediaMode::Stopped;
  }
  Record(error_ == media_error::kNone ? "play" : "play failed");
}

void HeadlessMediaPlayer::PlayFrom(uint32_t ms) {
  error_ = PlayError();
  const std::string command = "play from " + std::to_string(ms);
  if (error_ != media_error::kNone) {
    Record(command + " failed");
    return;
  }
  position_ms_ = ms < length_ms_ ? ms : 0;  // at or past the end: from the start
  mode_ = length_ms_ > 0 ? MediaMode::Playing : MediaMode::Stopped;
  Record(command);
}

bool HeadlessMediaPlayer::Stop(std::string* error) {
  if (opened_.empty()) {
    error_ = media_error::kNoDevice;
    Record("stop failed");
    if (error) *error = std::string(kNoDeviceText);
    return false;
  }
  if (mode_ == MediaMode::Playing) mode_ = MediaMode::Stopped;
  error_ = media_error::kNone;
  Record("stop");
  return true;
}

void HeadlessMediaPlayer::Advance(uint32_t ms) {
  if (mode_ != MediaMode::Playing) return;
  position_ms_ = length_ms_ - position_ms_ <= ms ? length_ms_ : position_ms_ + ms;
  if (position_ms_ >= length_ms_) mode_ = MediaMode::Stopped;
}

}  // namespace velmor::platform
