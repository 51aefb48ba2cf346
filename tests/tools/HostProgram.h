// Runs the built gatewayhost program as a gateway operator would: a separate
// process with the test's environment, its standard output and error caught.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/ConfigTestSupport.h"

extern char** environ;

namespace gateway::host {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the built host with `arguments`, standard input read from `input_file`
// (or empty), standard output and error caught in files of `folder`.
inline Outcome RunHostProgram(const gateway::testing::TempFolder& folder,
                              const std::vector<std::string>& arguments,
                              const std::string& input_file = "/dev/null") {
  const std::string out_path = folder.Path("host.stdout");
  const std::string err_path = folder.Path("host.stderr");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input_file.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  std::vector<std::string> all{GATEWAY_HOST_PATH};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : all) argv.push_back(argument.data());
  argv.push_back(nullptr);

  Outcome outcome;
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << argv[0];
    return outcome;
  }
  int wait_status = 0;
  waitpid(pid, &wait_status, 0);
  outcome.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  outcome.out = gateway::testing::ReadFile(out_path);
  outcome.err = gateway::testing::ReadFile(err_path);
  return outcome;
}

}  // namespace gateway::host
