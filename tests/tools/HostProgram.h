// Runs a built program as a person or a script would (the gatewayhost program
// above all): a separate process with the test's environment, its exit status
// and what it printed on standard output and standard error. The host can
// also be started and then waited for, read from or killed (HostProcess).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/ConfigTestSupport.h"

extern char** environ;

namespace gateway::testing {

struct Outcome {
  int status = -1;  // the exit status; -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs `program` (a path, or a name looked up in PATH) with `arguments`,
// standard input read from `input_file`, standard output and error caught in
// files of `folder`.
inline Outcome RunProgram(const TempFolder& folder, const std::string& program,
                          const std::vector<std::string>& arguments,
                          const std::string& input_file = "/dev/null") {
  const std::string out_path = folder.Path("program.stdout");
  const std::string err_path = folder.Path("program.stderr");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input_file.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::vector<std::string> all{program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : all) argv.push_back(argument.data());
  argv.push_back(nullptr);

  Outcome outcome;
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << argv[0];
    return outcome;
  }
  int wait_status = 0;
  waitpid(pid, &wait_status, 0);
  outcome.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  outcome.out = ReadFile(out_path);
  outcome.err = ReadFile(err_path);
  return outcome;
}

}  // namespace gateway::testing

namespace gateway::host {

using gateway::testing::Outcome;

// Runs the built host with `arguments`, standard input read from `input_file`
// (or empty).
inline Outcome RunHostProgram(const gateway::testing::TempFolder& folder,
                              const std::vector<std::string>& arguments,
                              const std::string& input_file = "/dev/null") {
  return gateway::testing::RunProgram(folder, GATEWAY_HOST_PATH, arguments, input_file);
}

// The built host started with `arguments`: standard input empty, standard
// error into `err_file`, standard output into a file or a pipe the test
// reads, optionally under a file size limit (RLIMIT_FSIZE). Killed and waited
// for when it ends, unless waited for before.
class HostProcess {
 public:
  struct Output {
    std::string file;                  // standard output into this file...
    bool pipe = false;                 // ...or into a pipe the test reads
    rlim_t file_size = RLIM_INFINITY;  // the host's RLIMIT_FSIZE, in bytes
  };

  HostProcess(const std::vector<std::string>& arguments, const Output& output,
              const std::string& err_file) {
    std::vector<std::string> all{GATEWAY_HOST_PATH};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int pipe_fds[2] = {-1, -1};
    if (output.pipe && ::pipe2(pipe_fds, O_CLOEXEC) != 0) ADD_FAILURE() << "pipe failed";
    // Everything the child needs is made before the fork: after it, only
    // calls that are safe between fork and exec.
    const std::string out_file = output.file.empty() ? "/dev/null" : output.file;
    const rlimit limit{output.file_size, output.file_size};
    pid_ = ::fork();
    if (pid_ == 0) {
      if (output.file_size != RLIM_INFINITY) ::setrlimit(RLIMIT_FSIZE, &limit);
      const int out =
          output.pipe ? pipe_fds[1] : ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int in = ::open("/dev/null", O_RDONLY);
      if (out < 0 || err < 0 || in < 0) ::_exit(127);
      ::dup2(in, 0);
      ::dup2(out, 1);
      ::dup2(err, 2);
      ::execve(argv[0], argv.data(), environ);
      ::_exit(127);
    }
    if (output.pipe) {
      ::close(pipe_fds[1]);
      pipe_ = pipe_fds[0];
    }
    if (pid_ < 0) ADD_FAILURE() << "fork failed";
  }
  ~HostProcess() {
    if (pid_ > 0) {
      Kill();
      Wait();
    }
    ClosePipe();
  }
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  // The exit status; -1 when a signal ended the host.
  int Wait() {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void Kill() { ::kill(pid_, SIGKILL); }
  // The read end of the host's standard output (Output::pipe).
  int Pipe() const { return pipe_; }
  void ClosePipe() {
    if (pipe_ >= 0) ::close(pipe_);
    pipe_ = -1;
  }

 private:
  pid_t pid_ = 0;
  int pipe_ = -1;
};

}  // namespace gateway::host
