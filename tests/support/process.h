// Running a program as a child process in tests, with a time limit and a
// cap on the output kept.
#pragma once

#include <string>
#include <vector>

namespace velmor::testing {

struct ProcessResult {
  int exit_code = -1;     // -1 when killed or not started
  bool timed_out = false;
  std::string output;     // standard output and error, at most max_output bytes
  size_t output_size = 0; // all bytes written, kept or not
};

// Runs `argv` (argv[0] is the program's path) with extra environment
// variables "NAME=value", kills it with SIGKILL after `seconds`.
ProcessResult RunProcess(const std::vector<std::string>& argv, double seconds,
                         const std::vector<std::string>& env = {},
                         size_t max_output = 64 * 1024);

}  // namespace velmor::testing
