#include "platform/sdl/sound_log.h"

#include "core/texts.h"

namespace velmor::platform::sdl {

void SoundLog::Write(std::string_view source, std::string_view message) {
  std::lock_guard lock(mutex_);
  ++received_;
  if (!out_ || written_ > static_cast<uint64_t>(limit_)) return;
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
    message.remove_suffix(1);
  if (written_ == static_cast<uint64_t>(limit_)) {
    std::fprintf(out_, "velmor: %s\n", Tr("further sound library messages are dropped"));
  } else {
    std::fprintf(out_, "%.*s: %.*s\n", static_cast<int>(source.size()), source.data(),
                 static_cast<int>(message.size()), message.data());
  }
  std::fflush(out_);
  ++written_;
}

uint64_t SoundLog::Received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

uint64_t SoundLog::Written() const {
  std::lock_guard lock(mutex_);
  return written_;
}

}  // namespace velmor::platform::sdl
