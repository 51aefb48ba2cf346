#include "config/Registry.h"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <mutex>

#include "config/IniFile.h"

namespace gateway {

namespace {

constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine";

// What stat says about the registry file; two equal identities mean the
// file was not changed in between (as far as stat can tell).
struct FileIdentity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  bool operator==(const FileIdentity& other) const {
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec && changed.tv_sec == other.changed.tv_sec &&
           changed.tv_nsec == other.changed.tv_nsec;
  }
};

FileIdentity IdentityOf(const std::string& path) {
  struct stat info{};
  FileIdentity identity;
  if (::stat(path.c_str(), &info) != 0) return identity;
  identity.exists = true;
  identity.device = info.st_dev;
  identity.inode = info.st_ino;
  identity.size = info.st_size;
  identity.modified = info.st_mtim;
  identity.changed = info.st_ctim;
  return identity;
}

// The client path as last read, with the file and identity it was read from.
struct ClientPathCache {
  std::mutex mutex;
  bool valid = false;
  std::string file;
  FileIdentity identity;
  std::string path;
};

ClientPathCache& Cache() {
  static ClientPathCache cache;
  return cache;
}

std::string ReadClientPath(const std::string& file) {
  const IniFile registry(file);
  std::string path = registry.ReadString(kKey, "ClientPath", "");
  if (path.empty()) path = registry.ReadString(kKey, "ServerPath", "");
  return path;
}

// A file changed within the last two seconds cannot be told apart from a
// second change in the same clock tick by its timestamps: it is not trusted
// until it is older.
bool SettledSince(const FileIdentity& identity) {
  if (!identity.exists) return true;
  const std::time_t now = std::time(nullptr);
  return identity.modified.tv_sec + 2 <= now && identity.changed.tv_sec + 2 <= now;
}

}  // namespace

std::string GetRegistryFile() {
  const char* path = std::getenv("GATEWAY_REGISTRY");
  return (path != nullptr && path[0] != '\0') ? std::string(path)
                                              : std::string("/etc/gateway/registry.ini");
}

// Every statement logs to the alert log below the client path, so the path is
// not read from the file per call. The rule: the file is read once and read
// again only when the file that names the path changes, that is, when
// $GATEWAY_REGISTRY names another file, or stat of the file gives another
// device, inode, size, modification or change time (a file appearing or
// going away included). A file changed in the last two seconds is read every
// time until it has settled. One stat per call is what a statement pays.
std::string GetClientPath() {
  const std::string file = GetRegistryFile();
  const FileIdentity identity = IdentityOf(file);
  ClientPathCache& cache = Cache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  if (cache.valid && cache.file == file && cache.identity == identity) return cache.path;
  std::string path = ReadClientPath(file);
  // Read after the stat: a change in between shows as another identity next time.
  cache.valid = SettledSince(identity);
  cache.file = file;
  cache.identity = identity;
  cache.path = path;
  return path;
}

}  // namespace gateway
