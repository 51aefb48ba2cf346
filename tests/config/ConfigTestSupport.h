// Small helpers for the configuration tests: a fresh temporary folder, an
// environment variable and the library location set for one test and put
// back, and the library's warnings collected.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "config/ModulePath.h"
#include "config/Warnings.h"

namespace gateway::testing {

// A new empty folder below the system temporary directory, removed with its content.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gwcfg-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, or a path below it; never ends with "/" unless `relative` does.
  std::string Path(const std::string& relative = "") const {
    return relative.empty() ? path_.string() : (path_ / relative).string();
  }

 private:
  std::filesystem::path path_;
};

// Sets (or, with nullopt, unsets) an environment variable until destroyed.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = ::getenv(name)) previous_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(previous_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name_.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }
  std::string name_;
  std::optional<std::string> previous_;
};

// Places the library at `path` until destroyed.
class ScopedModulePath {
 public:
  explicit ScopedModulePath(std::string path) { SetModulePathForTesting(std::move(path)); }
  ~ScopedModulePath() { SetModulePathForTesting(""); }
  ScopedModulePath(const ScopedModulePath&) = delete;
  ScopedModulePath& operator=(const ScopedModulePath&) = delete;
};

// Collects the library's warnings (what a host's handler would receive) until
// destroyed.
class CapturedWarnings {
 public:
  CapturedWarnings() {
    Lines().clear();
    SetWarningSink([](const char* text) { Lines().emplace_back(text); });
  }
  ~CapturedWarnings() {
    SetWarningSink(nullptr);
    Lines().clear();
  }
  CapturedWarnings(const CapturedWarnings&) = delete;
  CapturedWarnings& operator=(const CapturedWarnings&) = delete;

  const std::vector<std::string>& Warnings() const { return Lines(); }

 private:
  static std::vector<std::string>& Lines() {
    static std::vector<std::string> lines;
    return lines;
  }
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

}  // namespace gateway::testing
