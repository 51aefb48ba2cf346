// Runs a built program as a person or a script would (the gatewayhost program
// above all): a separate process with the test's environment, its exit status
// and what it printed on standard output and standard error.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

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

}  // namespace gateway::host
