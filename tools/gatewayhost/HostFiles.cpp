#include "gatewayhost/HostFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

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

ResponseTarget::ResponseTarget(std::string path) : name_("'" + path + "'") {
  struct stat status;
  mode_t mode = 0;
  bool replaces = false;
  if (::stat(path.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) throw SystemFailure("write", name_, EISDIR);
    if (!S_ISREG(status.st_mode)) {
      // A device or a pipe has no content to replace: it is written directly.
      fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
      if (fd_ < 0) throw SystemFailure("write", name_, errno);
      owns_fd_ = true;
      return;
    }
    // Through a symbolic link the file it leads to is replaced, not the link.
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) throw SystemFailure("write", name_, errno);
    final_ = resolved;
    std::free(resolved);
    mode = status.st_mode & 07777;
    replaces = true;
  } else {
    final_ = path;
  }
  temporary_ = final_ + "." + std::to_string(::getpid()) + ".tmp";
  fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    const int error = errno;
    temporary_.clear();
    throw SystemFailure("write", name_, error);
  }
  owns_fd_ = true;
  // The new response keeps the permissions of the one it replaces.
  if (replaces) (void)::fchmod(fd_, mode);
}

ResponseTarget::~ResponseTarget() {
  if (owns_fd_ && fd_ >= 0) ::close(fd_);
  if (!temporary_.empty() && !delivering_) ::unlink(temporary_.c_str());
}

void ResponseTarget::Write(std::string_view bytes) {
  struct stat status;
  const bool regular = ::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode);
  int error = WriteAll(fd_, bytes);
  // On disk before anything is confirmed; a pipe or a device has no disk.
  if (error == 0 && regular && ::fsync(fd_) != 0) error = errno;
  if (owns_fd_) {
    if (::close(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
  }
  if (error != 0) throw SystemFailure("write", name_, error);
}

void ResponseTarget::Deliver() {
  if (temporary_.empty()) return;
  delivering_ = true;
  if (::rename(temporary_.c_str(), final_.c_str()) != 0) {
    throw std::runtime_error("cannot put the response in place as " + name_ + ": " +
                             std::strerror(errno) + "; it is complete in '" + temporary_ + "'");
  }
  // The rename is durable only once the folder that holds it is on disk.
  const std::string folder = std::filesystem::path(final_).parent_path().string();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int error = fd < 0 ? errno : 0;
  if (fd >= 0) {
    if (::fsync(fd) != 0 && errno != EINVAL) error = errno;
    ::close(fd);
  }
  if (error != 0) {
    throw std::runtime_error("the response is in place as " + name_ +
                             ", but its folder cannot be flushed to disk: " + std::strerror(error));
  }
}

}  // namespace gateway::host
