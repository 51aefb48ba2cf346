// Where the generator writes an ERP database: a target runs statements and
// takes rows table by table (an SQLite file, or a schema of a database server
// reached through ODBC). Insert binds one row's values in column order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Schema.h"

namespace gateway::demo {

// The rows of one table, as the target writes them.
class RowSink {
 public:
  virtual ~RowSink();
  virtual void Text(std::string_view value) = 0;
  virtual void Integer(int64_t value) = 0;
  // A fixed-point amount: `units` / 10^`digits`.
  virtual void Fixed(int64_t units, int digits) = 0;
  virtual void Null() = 0;
  virtual void Row() = 0;
};

class Target {
 public:
  virtual ~Target();
  virtual void Exec(const std::string& sql) = 0;
  virtual std::unique_ptr<RowSink> Rows(const Table& table) = 0;
  // CREATE TABLE in the target's types.
  virtual std::string CreateStatement(const Table& table) const { return table.CreateStatement(); }
  // Runs the whole load as one transaction.
  virtual void Begin() { Exec("BEGIN"); }
  virtual void Commit() { Exec("COMMIT"); }
};

class Insert {
 public:
  Insert(Target& target, const Table& table) : table_(table), sink_(target.Rows(table)) {}

  Insert& Text(std::string_view value);
  Insert& Integer(int64_t value);
  Insert& Fixed(int64_t units, int digits);
  Insert& Null();
  // Writes the row; raises unless exactly one value per column was bound.
  void Row();

 private:
  void Next();

  const Table& table_;
  std::unique_ptr<RowSink> sink_;
  int bound_ = 0;
};

}  // namespace gateway::demo
