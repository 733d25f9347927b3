// When the real front end's 20 ms ticks are due, as plain arithmetic on
// the milliseconds of a clock, so that it can be checked with a fake one.
//
// Deadlines advance by exactly one period per tick, so the ticks never drift
// however late the loop wakes up. A loop that fell a little behind (a slow
// frame) catches up one tick per pass; one that fell far behind (the process
// was stopped, a tick was held by a message box) starts afresh from now
// instead of running a burst of stale ticks.
#pragma once

#include <cstdint>

namespace velmor::session {

class TickScheduler {
 public:
  static constexpr uint64_t kPeriodMs = 20;
  // Behind by more than this, the schedule restarts from now.
  static constexpr uint64_t kMaxLagMs = 100;

  // The first tick falls one period after `now_ms`.
  explicit TickScheduler(uint64_t now_ms) : next_(now_ms + kPeriodMs) {}

  // Whether a tick is due at `now_ms`; when it is, the tick is taken: the
  // next deadline moves on by one period, or to one period after now when
  // the schedule was more than kMaxLagMs behind.
  bool TakeDue(uint64_t now_ms);

  // How long the loop may sleep before the next tick is due (0: due now).
  uint64_t WaitMs(uint64_t now_ms) const { return now_ms >= next_ ? 0 : next_ - now_ms; }

  // Starts the schedule afresh: the next tick one period after now.
  void Restart(uint64_t now_ms) { next_ = now_ms + kPeriodMs; }

  uint64_t NextDeadline() const { return next_; }
  // How often the schedule had to restart after falling far behind.
  uint64_t Resyncs() const { return resyncs_; }

 private:
  uint64_t next_;
  uint64_t resyncs_ = 0;
};

}  // namespace velmor::session
