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

// Where one response goes: a file or standard output.
//
// A file is written in full to a new file beside it, TARGET.<pid>.tmp (pid:
// the host's process id), flushed to disk, and only then renamed into place by
// Deliver: an existing response file is replaced whole or not at all, never
// cut or half overwritten. The new file is made when the target is made, so
// that an output that cannot be written is found before the request runs.
// Standard output, and a target that is a device or a pipe (/dev/stdout,
// /dev/full), are written directly; a regular file behind standard output is
// flushed to disk as well.
class ResponseTarget {
 public:
  // Standard output.
  ResponseTarget();
  // The file at `path` (when it is a symbolic link, the file it leads to).
  explicit ResponseTarget(std::string path);
  // Removes the temporary file unless Deliver has started.
  ~ResponseTarget();
  ResponseTarget(const ResponseTarget&) = delete;
  ResponseTarget& operator=(const ResponseTarget&) = delete;

  // Writes the response as the target's whole content, flushed to disk where
  // the target is a file. Raises std::runtime_error when it cannot be written.
  void Write(std::string_view bytes);
  // Puts the written response in place: renames the temporary file over the
  // target and flushes the folder to disk. From the moment it is called the
  // temporary file is never removed: when the rename fails, the message names
  // it. Does nothing for a stream. Raises std::runtime_error.
  void Deliver();

  const std::string& Name() const { return name_; }
  // The temporary file the response is written to; empty for a stream.
  const std::string& TemporaryPath() const { return temporary_; }

 private:
  std::string name_;
  std::string final_;      // where Deliver puts the response; empty for a stream
  std::string temporary_;  // empty for a stream
  int fd_ = -1;
  bool owns_fd_ = false;  // false for standard output
  bool delivering_ = false;
};

}  // namespace gateway::host
