#include "config/ModulePath.h"

#include <dlfcn.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <utility>

namespace gateway {

namespace {

std::string& PathOverride() {
  static std::string path;
  return path;
}

// Any address inside this binary; dladdr maps it back to the file.
void AddressAnchor() {}

// The file mapped at `address`, from the process's memory map. Used when dladdr
// gives no absolute name: for the main program it reports argv[0], and a module
// opened by a relative name keeps that name, which would move with the current
// directory.
std::string MappedFileAt(uintptr_t address) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    uintptr_t begin = 0;
    uintptr_t end = 0;
    if (std::sscanf(line.c_str(), "%" SCNxPTR "-%" SCNxPTR, &begin, &end) != 2) continue;
    if (address < begin || address >= end) continue;
    const size_t slash = line.find('/');
    if (slash == std::string::npos) return {};
    std::string path = line.substr(slash);
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.size() > kDeleted.size() && path.ends_with(kDeleted)) {
      path.resize(path.size() - kDeleted.size());
    }
    return path;
  }
  return {};
}

}  // namespace

std::string ModulePath() {
  if (!PathOverride().empty()) return PathOverride();
  const auto address = reinterpret_cast<uintptr_t>(&AddressAnchor);
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(address), &info) != 0 && info.dli_fname != nullptr &&
      info.dli_fname[0] == '/') {
    return info.dli_fname;
  }
  return MappedFileAt(address);
}

std::string ModuleDir() {
  const std::string path = ModulePath();
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void SetModulePathForTesting(std::string path) { PathOverride() = std::move(path); }

}  // namespace gateway
