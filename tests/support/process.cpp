#include "support/process.h"

#include <fcntl.h>
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

using Clock = std::chrono::steady_clock;

constexpr const char* kChildVariable = "VELMOR_TEST_CHILD";

std::string_view NameOf(std::string_view entry) { return entry.substr(0, entry.find('=')); }

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             std::size_t max_output)
    : max_output_(max_output) {
  int fds[2];
  if (argv.empty() || ::pipe2(fds, O_CLOEXEC) != 0) return;
  // This program's environment with the changes made.
  std::vector<std::string> args(argv), vars;
  for (const std::string& change : env)
    if (change.find('=') != std::string::npos) vars.push_back(change);
  for (char** e = environ; *e; ++e)
    if (std::none_of(env.begin(), env.end(), [&](const std::string& c) { return NameOf(c) == NameOf(*e); }))
      vars.emplace_back(*e);
  std::vector<char*> arg_pointers = Pointers(args), var_pointers = Pointers(vars);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
  pid_t pid = 0;
  const int spawned =
      ::posix_spawn(&pid, args[0].c_str(), &actions, nullptr, arg_pointers.data(), var_pointers.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (spawned != 0) {
    ::close(fds[0]);
    return;
  }
  pid_ = pid;
  out_ = fds[0];
}

Child::~Child() {
  if (out_ >= 0) ::close(out_);
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

bool Child::ReadFor(std::chrono::milliseconds span) {
  if (out_ < 0) return false;
  const auto until = Clock::now() + span;
  char buf[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(std::max<int64_t>(left.count(), 0))) <= 0) return true;
    const ssize_t n = ::read(out_, buf, sizeof buf);
    if (n <= 0) break;  // it closed its end: it is ending
    result_.output.append(buf, static_cast<std::size_t>(n));
    if (result_.output.size() > max_output_) {
      result_.output.resize(max_output_);
      result_.flooded = true;
      ::kill(pid_, SIGKILL);
      break;
    }
    if (left.count() <= 0) return true;
  }
  ::close(out_);
  out_ = -1;
  return false;
}

ProcessResult Child::Finish(std::chrono::milliseconds limit) {
  if (pid_ <= 0) return result_;
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline &&
         ReadFor(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()))) {
  }
  int status = 0;
  while (::waitpid(pid_, &status, WNOHANG) == 0) {
    if (Clock::now() >= deadline) {
      result_.timed_out = true;
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      break;
    }
    ::usleep(10000);
  }
  pid_ = -1;
  result_.exited = WIFEXITED(status) && !result_.timed_out && !result_.flooded;
  result_.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  return result_;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, double seconds,
                         const std::vector<std::string>& env, std::size_t max_output) {
  return Child(argv, env, max_output).Finish(std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000)));
}

ChildBodyRegistration::ChildBodyRegistration(const char* name, ChildBody body) {
  const char* wanted = std::getenv(kChildVariable);
  if (!wanted || std::strcmp(wanted, name) != 0) return;
  const int code = body();
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(code);
}

ProcessResult RunChild(const std::string& name, std::chrono::milliseconds limit,
                       std::size_t max_output, const std::vector<std::string>& env) {
  std::vector<std::string> vars(env);
  vars.push_back(std::string(kChildVariable) + "=" + name);
  return Child({"/proc/self/exe"}, vars, max_output).Finish(limit);
}

}  // namespace velmor::testing
