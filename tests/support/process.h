// Running programs from tests with their standard output and error captured
// and capped and their time bounded, so that a program that hangs or floods
// the terminal fails the test instead of stalling or drowning CI.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace velmor::testing {

constexpr std::size_t kDefaultOutputLimit = 64 * 1024;

struct ProcessResult {
  bool exited = false;     // ended by itself (not killed, no signal)
  int exit_code = -1;      // its status when it exited, minus the signal when one ended it
  bool timed_out = false;  // killed at the time limit
  bool flooded = false;    // killed for writing more than the output limit
  std::string output;      // stdout and stderr together, at most the limit
};

// A started program (argv[0] is its path) writing stdout and stderr into one
// pipe. In `env` "NAME=value" sets a variable and a bare "NAME" removes it.
// It is started with posix_spawn, never a bare fork, which would inherit the
// test program's threads' locks half-way. Destroyed, it kills the child.
class Child {
 public:
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
        std::size_t max_output = kDefaultOutputLimit);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  const std::string& output() const { return result_.output; }
  // Reads its output for at most `span`; false once the output has ended.
  bool ReadFor(std::chrono::milliseconds span);
  // Reads until the output ends or `limit` passes, kills it then, reaps it.
  ProcessResult Finish(std::chrono::milliseconds limit);

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::size_t max_output_;
  ProcessResult result_;
};

// Runs `argv` to its end; kills it with SIGKILL after `seconds`.
ProcessResult RunProcess(const std::vector<std::string>& argv, double seconds,
                         const std::vector<std::string>& env = {},
                         std::size_t max_output = kDefaultOutputLimit);

// A piece of a test run in a fresh copy of this test program: a body
// registered under a name at static initialisation runs, in the copy started
// for that name, before any test, and the copy exits with its result.
using ChildBody = int (*)();
struct ChildBodyRegistration {
  ChildBodyRegistration(const char* name, ChildBody body);
};

// Starts this program again to run the body registered as `name`.
ProcessResult RunChild(const std::string& name, std::chrono::milliseconds limit,
                       std::size_t max_output, const std::vector<std::string>& env = {});

// Waits until `done` holds, polling as a tick would; false at the limit.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  for (const auto end = std::chrono::steady_clock::now() + limit; !done();) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace velmor::testing
