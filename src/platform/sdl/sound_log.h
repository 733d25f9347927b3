// Messages of the sound libraries, written out up to a limit. A synthesiser
// in trouble can repeat one warning tens of thousands of times a second (a
// damaged MIDI file looping with the audio lock held fills a disk with
// "Ringbuffer full" in minutes); here the first few messages are kept and
// the rest only counted.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string_view>

namespace velmor::platform::sdl {

class SoundLog {
 public:
  // Writes at most `limit` messages to `out` (nullptr: none), then one line
  // saying that the rest are dropped.
  explicit SoundLog(std::FILE* out = stderr, int limit = 20) : out_(out), limit_(limit) {}
  SoundLog(const SoundLog&) = delete;
  SoundLog& operator=(const SoundLog&) = delete;

  // Safe from any thread (the synthesiser logs from the audio thread).
  void Write(std::string_view source, std::string_view message);

  uint64_t Received() const;
  uint64_t Written() const;

 private:
  mutable std::mutex mutex_;
  std::FILE* out_;
  int limit_;
  uint64_t received_ = 0;
  uint64_t written_ = 0;
};

}  // namespace velmor::platform::sdl
