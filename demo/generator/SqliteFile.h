// A new SQLite database file set up for bulk loading, and a prepared insert
// whose values are bound one after the other in column order. Failures raise
// std::runtime_error with SQLite's message.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "Schema.h"

namespace gateway::demo {

class SqliteFile {
 public:
  // Creates the file, which must not exist yet. Nothing is journalled or
  // synced while loading: a failed run leaves a file to delete, never one to keep.
  explicit SqliteFile(const std::string& path);
  ~SqliteFile();
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;

  void Exec(const std::string& sql);
  sqlite3* Handle() const { return db_; }
  [[noreturn]] void Fail(const std::string& what) const;

 private:
  sqlite3* db_ = nullptr;
  std::string path_;
};

class Insert {
 public:
  Insert(SqliteFile& file, const Table& table);
  ~Insert();
  Insert(const Insert&) = delete;
  Insert& operator=(const Insert&) = delete;

  Insert& Text(std::string_view value);
  Insert& Integer(int64_t value);
  // A fixed-point amount: `units` / 10^`digits` (cents with 2, and so on).
  Insert& Fixed(int64_t units, int digits);
  Insert& Null();
  // Writes the row; raises unless exactly one value per column was bound.
  void Row();

 private:
  int Next();

  SqliteFile& file_;
  const Table& table_;
  sqlite3_stmt* stmt_ = nullptr;
  int bound_ = 0;
};

}  // namespace gateway::demo
