#include "config/Registry.h"

#include <cstdlib>

#include "config/IniFile.h"

namespace gateway {

namespace {

constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine";

}  // namespace

std::string GetRegistryFile() {
  const char* path = std::getenv("GATEWAY_REGISTRY");
  return (path != nullptr && path[0] != '\0') ? std::string(path)
                                              : std::string("/etc/gateway/registry.ini");
}

std::string GetClientPath() {
  const IniFile registry(GetRegistryFile());
  std::string path = registry.ReadString(kKey, "ClientPath", "");
  if (path.empty()) path = registry.ReadString(kKey, "ServerPath", "");
  return path;
}

}  // namespace gateway
