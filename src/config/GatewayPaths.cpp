#include "config/GatewayPaths.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "config/ModulePath.h"
#include "text/TextCase.h"

namespace gateway {

namespace fs = std::filesystem;

namespace {

std::string WithTrailingSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

// The last name of a directory path that ends with "/".
std::string_view LastName(std::string_view dir) {
  if (!dir.empty() && dir.back() == '/') dir.remove_suffix(1);
  const size_t slash = dir.rfind('/');
  return slash == std::string_view::npos ? dir : dir.substr(slash + 1);
}

// Closes the descriptor on every path out of AppendToFile.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and reports whether the close succeeded.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

}  // namespace

std::string GetGatewayRoot() {
  const std::string dir = ModuleDir();
  if (dir.empty()) return {};
  const std::string parent = WithTrailingSlash((fs::path(dir) / "..").lexically_normal().string());
  // A library folder inside a folder whose name ends in "modi" (any case) is one
  // level deeper than usual. Only that folder decides: an unrelated "modi/"
  // higher up the path (a folder "/srv/modi/") must not move the root.
  if (LowerCaseAscii(LastName(parent)).ends_with("modi")) {
    return WithTrailingSlash((fs::path(dir) / ".." / "..").lexically_normal().string());
  }
  return parent;
}

std::string GetGatewayConfigFile() {
  const std::string root = GetGatewayRoot();
  return root.empty() ? std::string() : root + "GatewayConfig.ini";
}

std::string GetObjectXmlFile(std::string_view name) {
  for (std::string& candidate : ObjectXmlCandidates(name)) {
    if (FileExists(candidate)) return std::move(candidate);
  }
  return {};
}

std::vector<std::string> ObjectXmlCandidates(std::string_view name) {
  const std::string root = GetGatewayRoot();
  if (root.empty()) return {};
  const std::string file = std::string(name) + ".xml";
  return {root + "Modi/Obj/" + file, root + "Obj/" + file};
}

std::string DescribeGatewayRoot() {
  const std::string root = GetGatewayRoot();
  if (root.empty()) return "no gateway root (the module's own location is unknown)";
  return "the gateway root " + root + " (derived from the module " + ModulePath() + ")";
}

std::string GetTraceLogFile() {
  const std::string path = ModulePath();
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  std::string name = path.substr(slash + 1);
  if (const size_t dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);
  return path.substr(0, slash + 1) + "Log/" + name + ".Log";
}

std::string HostExecutableDir() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return WithTrailingSlash(exe.parent_path().string());
}

std::string TempDir() {
  const char* tmpdir = std::getenv("TMPDIR");
  return (tmpdir != nullptr && tmpdir[0] != '\0') ? std::string(tmpdir) : std::string("/tmp");
}

std::string JoinPath(std::string_view dir, std::string_view name) {
  std::string path(dir);
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  const auto status = fs::status(path, error);
  return !error && fs::exists(status) && !fs::is_directory(status);
}

bool ForceDirectories(const std::string& dir) {
  std::error_code error;
  fs::create_directories(dir, error);
  return fs::is_directory(dir, error);
}

bool AppendToFile(const std::string& path, std::string_view bytes) {
  // Logs hold statements and purchase-order data: a new file is for its owner
  // and group only (the umask may narrow that further). An existing file keeps
  // the mode its administrator gave it.
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640));
  if (file.get() < 0) return false;
  if (!WriteFully(file.get(), bytes)) return false;
  return file.Close();
}

bool WriteFully(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace gateway
