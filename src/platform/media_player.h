// The one sound channel: a media player that opens a WAVE or MIDI file and
// plays it once.
#pragma once

#include <string>

namespace velmor::platform {

enum class MediaMode { NotReady, Stopped, Playing };

class MediaPlayer {
 public:
  virtual ~MediaPlayer() = default;

  // The file to open (a Shift-JIS path as the game builds it); setting it
  // opens nothing.
  const std::string& FileName() const { return file_name_; }
  void SetFileName(std::string path) { file_name_ = std::move(path); }

  // Closes any open file, then opens FileName(). False, with the media
  // service's error text in *error, when it cannot be opened.
  virtual bool Open(std::string* error) = 0;
  // Starts playing and returns at once; at the end of the media it first
  // rewinds. Records the error code.
  virtual void Play() = 0;
  // Stops playing; the file stays open. Without an open file it fails with
  // the service's no-device error (false and *error).
  virtual bool Stop(std::string* error) = 0;
  virtual MediaMode Mode() = 0;
  // The error code of the last command, 0 on success.
  virtual int Error() const = 0;

 private:
  std::string file_name_;
};

}  // namespace velmor::platform
