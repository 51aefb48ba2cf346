// A new SQLite database file set up for bulk loading, written through a
// prepared insert per table. Failures raise std::runtime_error with SQLite's
// message.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "Target.h"

namespace gateway::demo {

class SqliteFile final : public Target {
 public:
  // Creates the file, which must not exist yet. Nothing is journalled or
  // synced while loading: a failed run leaves a file to delete, never one to keep.
  explicit SqliteFile(const std::string& path);
  ~SqliteFile() override;
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;

  void Exec(const std::string& sql) override;
  std::unique_ptr<RowSink> Rows(const Table& table) override;
  sqlite3* Handle() const { return db_; }
  [[noreturn]] void Fail(const std::string& what) const;

 private:
  sqlite3* db_ = nullptr;
  std::string path_;
};

}  // namespace gateway::demo
