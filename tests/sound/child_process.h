// Runs a piece of a test in a fresh child process (this test program started
// again) whose output is captured and capped and whose time is bounded, so
// that a library that hangs or floods the terminal fails the test instead of
// stalling or drowning CI. A fresh program, not a fork: the audio libraries
// keep threads and locks that a forked copy would inherit half-way.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace velmor::testing {

using ChildBody = int (*)();

// Registers a child body under `name` at static initialisation. In the
// child started for that name, the body runs right here, before any test,
// and the program exits with its result.
struct ChildBodyRegistration {
  ChildBodyRegistration(const char* name, ChildBody body);
};

struct ChildResult {
  bool exited = false;     // ended by itself (not killed, no signal)
  int exit_code = -1;      // when it exited
  bool timed_out = false;  // killed at the time limit
  bool flooded = false;    // killed for writing more than the output limit
  std::string output;      // stdout and stderr together, at most the limit
};

// Starts this program again to run the body registered as `name`, with
// `env` ("NAME=value") added to the environment. Reads at most `max_output`
// bytes of its output and kills it at `limit` or when it writes more.
ChildResult RunChild(const std::string& name, std::chrono::milliseconds limit,
                     std::size_t max_output, const std::vector<std::string>& env = {});

// Waits until `done` holds, polling as a tick would; false at the limit.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace velmor::testing
