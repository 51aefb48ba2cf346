// Reading request files and writing responses, with failures as one-line
// messages that name the file and the system's reason.
#pragma once

#include <string>
#include <string_view>

namespace gateway::host {

// The whole content of a file as bytes; "-" reads standard input. `what`
// names the file's role in the message of a failure ("request", "init file").
// Raises std::runtime_error when the file cannot be read.
std::string ReadInput(const std::string& path, const std::string& what);

// Where one response goes: a file or standard output. The file is opened when
// the target is made, so that an output that cannot be written is found before
// the request runs (a "GetData" run marks its orders as handed over). Its old
// content is replaced only by Write; a file the target created and never
// wrote is removed again.
class ResponseTarget {
 public:
  // Standard output.
  ResponseTarget();
  // The file at `path`, created when missing.
  explicit ResponseTarget(std::string path);
  ~ResponseTarget();
  ResponseTarget(const ResponseTarget&) = delete;
  ResponseTarget& operator=(const ResponseTarget&) = delete;

  // Writes the response as the target's whole content and closes the file.
  // Raises std::runtime_error when it cannot be written.
  void Write(std::string_view bytes);

  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  std::string path_;  // empty for standard output
  int fd_ = -1;
  bool created_ = false;
  bool written_ = false;
};

}  // namespace gateway::host
