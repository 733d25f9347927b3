// The 20 ms timer's arithmetic, on a fake clock.
#include "app/tick_scheduler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace velmor::app {
namespace {

constexpr uint64_t kStart = 5000;
constexpr uint64_t kPeriod = TickScheduler::kPeriodMs;
constexpr uint64_t kLag = TickScheduler::kMaxLagMs;

// One pass of the loop `late` ms after the first deadline: the ticks it runs
// and where the schedule goes on. A little behind, it catches up tick by
// tick; far behind, it starts afresh from now.
TEST(TickScheduler, APassRunsWhatIsDueAndMovesTheDeadline) {
  struct Case {
    int64_t late;
    int ran;
    uint64_t next;  // after the first deadline
    uint64_t resyncs;
  };
  for (Case c : {Case{-1, 0, 0, 0}, Case{0, 1, kPeriod, 0}, Case{65, 4, 4 * kPeriod, 0},
                 Case{kLag, 6, 6 * kPeriod, 0}, Case{kLag + 1, 1, kLag + 1 + kPeriod, 1},
                 Case{3000, 1, 3000 + kPeriod, 1}}) {
    SCOPED_TRACE(c.late);
    TickScheduler s(kStart);
    const uint64_t first = kStart + kPeriod, now = first + c.late;
    EXPECT_EQ(s.WaitMs(kStart), kPeriod);
    int ran = 0;
    while (s.TakeDue(now)) ++ran;
    EXPECT_EQ(ran, c.ran);
    EXPECT_EQ(s.NextDeadline(), first + c.next);
    EXPECT_EQ(s.Resyncs(), c.resyncs);
  }
  TickScheduler s(kStart);
  s.Restart(kStart + 777);
  EXPECT_EQ(s.WaitMs(kStart + 777), kPeriod);
}

// A loop that sleeps as long as it may and wakes up late by up to 15 ms runs
// one tick a wake-up, and its deadlines never drift; between two ticks it
// never spins.
TEST(TickScheduler, LateWakeupsNeitherDriftNorSpin) {
  TickScheduler s(kStart);
  std::mt19937 random(7);
  std::uniform_int_distribution<uint64_t> jitter(0, 15);
  uint64_t now = kStart;
  int ticks = 0, wakeups = 0;
  while (ticks < 1000) {
    now += s.WaitMs(now) + jitter(random);
    ++wakeups;
    if (s.TakeDue(now)) ++ticks;
  }
  EXPECT_EQ(wakeups, 1000);
  EXPECT_EQ(s.NextDeadline(), kStart + 1001 * kPeriod);
  EXPECT_EQ(s.Resyncs(), 0u);
  for (uint64_t t = now; t < s.NextDeadline(); ++t) {
    EXPECT_GT(s.WaitMs(t), 0u) << t;
    EXPECT_FALSE(TickScheduler(s).TakeDue(t)) << t;
  }
}

}  // namespace
}  // namespace velmor::app
