#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace velmor::testing {

ProcessResult RunProcess(const std::vector<std::string>& argv, double seconds,
                         const std::vector<std::string>& env, size_t max_output) {
  ProcessResult result;
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return result;
  pid_t pid = ::fork();
  if (pid < 0) return result;
  if (pid == 0) {
    ::dup2(pipe_fds[1], 1);
    ::dup2(pipe_fds[1], 2);
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  char buffer[4096];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) {
      ::kill(pid, SIGKILL);
      result.timed_out = true;
      break;
    }
    pollfd p{pipe_fds[0], POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    ssize_t n = ::read(pipe_fds[0], buffer, sizeof buffer);
    if (n <= 0) break;  // the child closed its end
    result.output_size += static_cast<size_t>(n);
    if (result.output.size() < max_output)
      result.output.append(buffer, std::min(static_cast<size_t>(n), max_output - result.output.size()));
  }
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status) && !result.timed_out) result.exit_code = WEXITSTATUS(status);
  return result;
}

}  // namespace velmor::testing
