#include "gatewayhost/HostFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace gateway::host {

namespace {

std::runtime_error SystemFailure(const std::string& action, const std::string& name, int error) {
  return std::runtime_error("cannot " + action + " " + name + ": " + std::strerror(error));
}

// Reads everything from an open descriptor; returns 0 or the errno of the failure.
int ReadAll(int fd, std::string& bytes) {
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count == 0) return 0;
    if (count < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.append(buffer, static_cast<size_t>(count));
  }
}

// Writes all bytes to an open descriptor; returns 0 or the errno of the failure.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<size_t>(count));
  }
  return 0;
}

}  // namespace

std::string ReadInput(const std::string& path, const std::string& what) {
  const std::string name = path == "-" ? what + " from standard input" : what + " '" + path + "'";
  std::string bytes;
  if (path == "-") {
    if (const int error = ReadAll(STDIN_FILENO, bytes)) throw SystemFailure("read", name, error);
    return bytes;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw SystemFailure("read", name, errno);
  const int error = ReadAll(fd, bytes);
  ::close(fd);
  if (error != 0) throw SystemFailure("read", name, error);
  return bytes;
}

ResponseTarget::ResponseTarget() : name_("standard output"), fd_(STDOUT_FILENO) {}

ResponseTarget::ResponseTarget(std::string path) : name_("'" + path + "'"), path_(std::move(path)) {
  // Opened without truncation: the old content stays until the new response
  // is there to replace it.
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd_ >= 0) {
    created_ = true;
    return;
  }
  if (errno == EEXIST) fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd_ < 0) throw SystemFailure("write", name_, errno);
}

ResponseTarget::~ResponseTarget() {
  if (path_.empty()) return;
  if (fd_ >= 0) ::close(fd_);
  if (created_ && !written_) ::unlink(path_.c_str());
}

void ResponseTarget::Write(std::string_view bytes) {
  if (path_.empty()) {
    if (const int error = WriteAll(fd_, bytes)) throw SystemFailure("write", name_, error);
    written_ = true;
    return;
  }
  // Only a regular file is cut to the new length; a pipe or a device (an
  // --output /dev/stdout) has none.
  struct stat status;
  if (::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode) && ::ftruncate(fd_, 0) != 0)
    throw SystemFailure("write", name_, errno);
  int error = WriteAll(fd_, bytes);
  const int closed = ::close(fd_);
  fd_ = -1;
  if (error == 0 && closed != 0) error = errno;
  if (error != 0) throw SystemFailure("write", name_, error);
  written_ = true;
}

}  // namespace gateway::host
