// The command line of gatewayhost: what it accepts, the usage and help texts,
// and the parsed options the run loop works from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace gateway::host {

// A command line gatewayhost cannot run: the message says what is wrong; the
// host prints it with the usage and exits 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The encoding responses are written in.
enum class ResponseEncoding { kUtf8, kGb2312 };

// The operator to run: by name (matched without regard to case) or by 0-based index.
struct OperaterChoice {
  std::string name = "GetData";
  std::optional<int32_t> index;

  friend bool operator==(const OperaterChoice&, const OperaterChoice&) = default;
};

// One run of the host: a module, its parameter text, an operator and the requests.
struct HostOptions {
  std::string library;
  // The parameter text given to Initialize, or the file that holds it; at most
  // one is set (neither: the text is empty).
  std::optional<std::string> init_text;
  std::optional<std::string> init_file;
  OperaterChoice operater;
  // Where responses go: standard output when both are empty; `output` for a
  // single request; `output_dir`/response-N.xml otherwise.
  std::string output;
  std::string output_dir;
  ResponseEncoding encoding = ResponseEncoding::kUtf8;
  // Print each response as tables on standard output (the XML then goes to
  // `output` or `output_dir`), showing at most `view_rows` rows of each table.
  bool view = false;
  std::optional<size_t> view_rows;
  // Abandon every hand-over once its response has been read, so that nothing
  // is marked, and mark each response as a dry run (HostDryRun.h).
  bool dry_run = false;
  // Request files in order; "-" stands for standard input.
  std::vector<std::string> requests;

  friend bool operator==(const HostOptions&, const HostOptions&) = default;
};

// What the command line asks for: the help text, the versions (of the host,
// and of the module when options.library is set), or a run.
struct CommandLine {
  bool help = false;
  bool version = false;
  HostOptions options;
};

// Parses the arguments after the program name. Options take their value as
// the next argument or after "=" ("--operator=Help"); "--" ends the options.
// Raises UsageError for a command line that cannot run.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The short usage printed with a command-line error.
const char* UsageText();
// The usage with the full explanation, printed by --help.
const char* HelpText();

}  // namespace gateway::host
