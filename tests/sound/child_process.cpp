#include "child_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern char** environ;

namespace velmor::testing {

namespace {

constexpr const char* kChildVariable = "VELMOR_TEST_CHILD";

// Waits for the child until `deadline`; kills it then.
void Reap(pid_t pid, std::chrono::steady_clock::time_point deadline, ChildResult& result) {
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      result.timed_out = true;
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return;
    }
    ::usleep(10000);
  }
  if (WIFEXITED(status)) {
    result.exited = true;
    result.exit_code = WEXITSTATUS(status);
  }
}

}  // namespace

ChildBodyRegistration::ChildBodyRegistration(const char* name, ChildBody body) {
  const char* wanted = std::getenv(kChildVariable);
  if (!wanted || std::strcmp(wanted, name) != 0) return;
  int code = body();
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(code);
}

ChildResult RunChild(const std::string& name, std::chrono::milliseconds limit,
                     std::size_t max_output, const std::vector<std::string>& env) {
  ChildResult result;
  int fds[2];
  if (::pipe(fds) != 0) return result;

  // The environment of this program, with the given variables in place of
  // any of the same name.
  std::vector<std::string> vars(env);
  vars.push_back(std::string(kChildVariable) + "=" + name);
  auto overridden = [&](std::string_view entry) {
    std::string_view var = entry.substr(0, entry.find('=') + 1);
    return std::any_of(vars.begin(), vars.end(),
                       [&](const std::string& v) { return v.compare(0, var.size(), var) == 0; });
  };
  for (char** e = environ; *e; ++e)
    if (!overridden(*e)) vars.emplace_back(*e);
  std::vector<char*> envp;
  for (std::string& v : vars) envp.push_back(v.data());
  envp.push_back(nullptr);
  std::string exe = "/proc/self/exe";
  std::vector<char*> argv{exe.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  pid_t pid = 0;
  int spawned = ::posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (spawned != 0) {
    ::close(fds[0]);
    return result;
  }

  auto deadline = std::chrono::steady_clock::now() + limit;
  char buf[4096];
  while (true) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{fds[0], POLLIN, 0};
    int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready <= 0) continue;  // the deadline check ends it
    ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n <= 0) break;  // the child closed its end: it is ending
    result.output.append(buf, static_cast<std::size_t>(n));
    if (result.output.size() > max_output) {
      result.output.resize(max_output);
      result.flooded = true;
      ::kill(pid, SIGKILL);
      break;
    }
  }
  ::close(fds[0]);
  Reap(pid, deadline, result);
  return result;
}

}  // namespace velmor::testing
