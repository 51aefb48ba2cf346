// The library's exception kinds beyond the plain gateway::Exception: failures
// of the database engine, of an operating-system call and of file input or
// output, and a refused request. Error reports tell these kinds apart;
// everything else is a plain gateway::Exception or a class derived from it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "gateway/Exception.h"

namespace gateway {

// One error a database engine or driver reported: its native code and text.
struct DatabaseErrorEntry {
  int Code = 0;
  std::string Message;
};

// A failure reported by a database driver; carries every entry the driver gave.
class EDatabaseError : public Exception {
 public:
  EDatabaseError(std::string message, std::vector<DatabaseErrorEntry> entries = {},
                 int help_context = 0)
      : Exception(std::move(message), help_context), entries_(std::move(entries)) {}
  const std::vector<DatabaseErrorEntry>& Entries() const noexcept { return entries_; }

 private:
  std::vector<DatabaseErrorEntry> entries_;
};

// A request the library will not run: text that is not XML, a request larger
// than the configured limits, a factory the company table does not know. The
// message says which and why; the operator reports it as its Error and runs
// nothing.
class ERequestRefused : public Exception {
 public:
  using Exception::Exception;
};

// A list index outside the list (pool lists, property lists).
class EListError : public Exception {
 public:
  using Exception::Exception;
};

// A failed operating-system call; ErrorCode is the errno value.
class EOSError : public Exception {
 public:
  EOSError(std::string message, int error_code)
      : Exception(std::move(message)), error_code_(error_code) {}
  int ErrorCode() const noexcept { return error_code_; }

 private:
  int error_code_;
};

// A failed file read or write; ErrorCode is the errno value (or 0 when unknown).
class EInOutError : public Exception {
 public:
  EInOutError(std::string message, int error_code)
      : Exception(std::move(message)), error_code_(error_code) {}
  int ErrorCode() const noexcept { return error_code_; }

 private:
  int error_code_;
};

}  // namespace gateway
