#include "session/tick_scheduler.h"

namespace velmor::session {

bool TickScheduler::TakeDue(uint64_t now_ms) {
  if (now_ms < next_) return false;
  if (now_ms - next_ > kMaxLagMs) {
    next_ = now_ms + kPeriodMs;
    ++resyncs_;
  } else {
    next_ += kPeriodMs;
  }
  return true;
}

}  // namespace velmor::session
