#include "config/LogAppender.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "config/GatewayPaths.h"

namespace gateway {

namespace {

// A log file held open, and the file it is.
struct OpenLog {
  int fd = -1;
  dev_t device = 0;
  ino_t inode = 0;
};

// A few logs are written at a time (the statement log, now and then the
// error reports); more paths than this (a new day's files) start afresh.
constexpr std::size_t kMaxOpenLogs = 4;

struct OpenLogs {
  std::mutex mutex;
  std::map<std::string, OpenLog, std::less<>> logs;

  void CloseAll() {
    for (auto& [path, log] : logs) ::close(log.fd);
    logs.clear();
  }
  ~OpenLogs() { CloseAll(); }
};

OpenLogs& Logs() {
  static OpenLogs logs;
  return logs;
}

// Opens (creating) the file at `path` and learns which file it is.
bool Open(const std::string& path, OpenLog& log) {
  // Logs hold statements and purchase-order data: a new file is for its owner
  // and group only. An existing file keeps the mode its administrator gave it.
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
  if (fd < 0) return false;
  struct stat info{};
  if (::fstat(fd, &info) != 0) {
    ::close(fd);
    return false;
  }
  log = {fd, info.st_dev, info.st_ino};
  return true;
}

}  // namespace

bool AppendToLogFile(const std::string& dir, std::string_view name, std::string_view bytes) {
  const std::string path = JoinPath(dir, name);
  OpenLogs& logs = Logs();
  std::lock_guard<std::mutex> lock(logs.mutex);
  auto found = logs.logs.find(path);
  if (found != logs.logs.end()) {
    struct stat info{};
    if (::stat(path.c_str(), &info) != 0 || info.st_dev != found->second.device ||
        info.st_ino != found->second.inode) {
      // Renamed away, deleted or replaced: the name's file is another now.
      ::close(found->second.fd);
      logs.logs.erase(found);
      found = logs.logs.end();
    }
  }
  if (found == logs.logs.end()) {
    if (logs.logs.size() >= kMaxOpenLogs) logs.CloseAll();
    OpenLog log;
    ForceDirectories(dir);
    if (!Open(path, log)) return false;
    found = logs.logs.emplace(path, log).first;
  }
  if (WriteFully(found->second.fd, bytes)) return true;
  // A descriptor that failed is not trusted with the next line.
  ::close(found->second.fd);
  logs.logs.erase(found);
  return false;
}

void CloseLogFiles() {
  OpenLogs& logs = Logs();
  std::lock_guard<std::mutex> lock(logs.mutex);
  logs.CloseAll();
}

}  // namespace gateway
