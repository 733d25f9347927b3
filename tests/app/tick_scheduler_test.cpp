// The 20 ms timer's arithmetic, on a fake clock.
#include "app/tick_scheduler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace velmor::app {
namespace {

constexpr uint64_t kStart = 5000;
constexpr uint64_t kPeriod = TickScheduler::kPeriodMs;

// A loop that sleeps as long as the scheduler allows and wakes up late by
// `late(i)` milliseconds; returns the clock after `ticks` ticks.
template <class Late>
uint64_t RunTicks(TickScheduler& s, uint64_t now, int ticks, Late late, int* wakeups = nullptr) {
  int taken = 0;
  int n = 0;
  while (taken < ticks) {
    now += s.WaitMs(now);
    now += late(taken);
    ++n;
    if (s.TakeDue(now)) ++taken;
  }
  if (wakeups) *wakeups = n;
  return now;
}

TEST(TickScheduler, FirstTickOnePeriodAfterStartOrRestart) {
  TickScheduler s(kStart);
  EXPECT_EQ(s.WaitMs(kStart), kPeriod);
  EXPECT_FALSE(s.TakeDue(kStart + kPeriod - 1));
  EXPECT_TRUE(s.TakeDue(kStart + kPeriod));
  EXPECT_EQ(s.NextDeadline(), kStart + 2 * kPeriod);
  s.Restart(kStart + 777);
  EXPECT_EQ(s.NextDeadline(), kStart + 777 + kPeriod);
  EXPECT_EQ(s.WaitMs(kStart + 777), kPeriod);
}

TEST(TickScheduler, LateWakeupsDoNotDriftOverAThousandTicks) {
  TickScheduler s(kStart);
  std::mt19937 random(7);
  std::uniform_int_distribution<int> jitter(0, 15);
  RunTicks(s, kStart, 1000, [&](int) { return static_cast<uint64_t>(jitter(random)); });
  // Every deadline moved on by exactly one period, however late the loop
  // woke up for it.
  EXPECT_EQ(s.NextDeadline(), kStart + 1001 * kPeriod);
  EXPECT_EQ(s.Resyncs(), 0u);
}

TEST(TickScheduler, ASlowFrameIsCaughtUpTickByTick) {
  TickScheduler s(kStart);
  uint64_t now = kStart + kPeriod + 65;  // three deadlines missed by a slow pass
  int ran = 0;
  while (s.TakeDue(now)) ++ran;
  EXPECT_EQ(ran, 4);
  EXPECT_EQ(s.NextDeadline(), kStart + 5 * kPeriod);
  EXPECT_EQ(s.Resyncs(), 0u);
}

TEST(TickScheduler, AStallRestartsTheScheduleInsteadOfABurst) {
  TickScheduler s(kStart);
  uint64_t now = RunTicks(s, kStart, 10, [](int) { return uint64_t{0}; });
  now += 3000;  // the process was stopped for three seconds
  int ran = 0;
  while (s.TakeDue(now)) ++ran;
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(s.NextDeadline(), now + kPeriod);
  EXPECT_EQ(s.Resyncs(), 1u);
  // And the schedule goes on from there without drifting.
  RunTicks(s, now, 100, [](int i) { return static_cast<uint64_t>(i % 3); });
  EXPECT_EQ(s.NextDeadline(), now + 101 * kPeriod);
}

TEST(TickScheduler, LagUpToTheLimitIsStillCaughtUp) {
  TickScheduler s(kStart);
  const uint64_t deadline = s.NextDeadline();
  EXPECT_TRUE(s.TakeDue(deadline + TickScheduler::kMaxLagMs));
  EXPECT_EQ(s.NextDeadline(), deadline + kPeriod);
  EXPECT_EQ(s.Resyncs(), 0u);
  TickScheduler t(kStart);
  EXPECT_TRUE(t.TakeDue(t.NextDeadline() + TickScheduler::kMaxLagMs + 1));
  EXPECT_EQ(t.Resyncs(), 1u);
}

TEST(TickScheduler, TheLoopNeverSpins) {
  // Between two ticks the loop sleeps until the deadline: one wake-up per
  // tick when nothing else wakes it, and never a zero wait while no tick is
  // due.
  TickScheduler s(kStart);
  int wakeups = 0;
  uint64_t now = RunTicks(s, kStart, 500, [](int) { return uint64_t{0}; }, &wakeups);
  EXPECT_EQ(wakeups, 500);
  for (uint64_t t = now; t < s.NextDeadline(); ++t) {
    EXPECT_GT(s.WaitMs(t), 0u) << "at " << t;
    EXPECT_FALSE(TickScheduler(s).TakeDue(t));
  }
}

TEST(TickScheduler, EarlyWakeupsByEventsRunNoTick) {
  TickScheduler s(kStart);
  uint64_t now = kStart;
  int ticks = 0;
  // Events wake the loop every 3 ms for a second.
  for (; now < kStart + 1000; now += 3)
    if (s.TakeDue(now)) ++ticks;
  EXPECT_EQ(ticks, 1000 / static_cast<int>(kPeriod) - 1);
  EXPECT_EQ(s.Resyncs(), 0u);
}

}  // namespace
}  // namespace velmor::app
