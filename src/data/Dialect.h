// The statement forms that differ between database engines: the library writes
// SQL Server's dialect, and a driver supplies the other engines' forms of the
// company database prefix, the temporary-table statements and the start of a
// hand-over transaction through this interface.
#pragma once

#include <string>
#include <string_view>

namespace gateway {

// How a hand-over transaction starts on an engine (see Dialect::HandOver).
struct HandOverStatements {
  // Begins the transaction and takes its lock in one, run outside any
  // transaction (SQLite's "BEGIN IMMEDIATE"); empty: the driver begins an
  // ordinary transaction.
  std::string begin;
  // Run first inside the transaction, before anything is read: takes the lock
  // that keeps the other hand-overs waiting, or fails when it cannot be had in
  // time; empty: none.
  std::string lock;
};

class Dialect {
 public:
  virtual ~Dialect();
  virtual const char* Name() const = 0;
  // The text that stands for "$$" for the company database `database` (not
  // blank): "DB.." on SQL Server (the database's default schema), "DB." where
  // a company database is a schema (an attached SQLite file, a PostgreSQL
  // schema). A name that the engine would not read as a plain identifier is
  // quoted.
  virtual std::string CompanyPrefix(std::string_view database) const = 0;
  // How the temporary table `name` (as the library names it, "##...") is
  // written inside statements.
  virtual std::string TempTableName(std::string_view name) const = 0;
  // "create table" for a temporary table; `column_definitions` is SQL Server's
  // text, each definition followed by a comma, the last one included.
  virtual std::string CreateTempTable(std::string_view name,
                                      std::string_view column_definitions) const = 0;
  // A temporary table made from the result of a SELECT.
  virtual std::string CreateTempTableAs(std::string_view name, std::string_view select) const = 0;
  virtual std::string DropTempTable(std::string_view name) const = 0;

  // A hand-over reads rows and marks them as delivered in one transaction. Two
  // hand-overs on the same database must never both read a row that one of
  // them will mark: the second waits until the first has committed or rolled
  // back, then reads what the first left. This is each engine's way of making
  // them wait, taken before anything is read. `database_prefix` is the text
  // standing for "$$" (the company database; empty for the connection's own),
  // `timeout_seconds` bounds the wait (0: no limit); a hand-over that cannot
  // start in time fails with nothing read or marked.
  virtual HandOverStatements HandOver(std::string_view database_prefix,
                                      int timeout_seconds) const = 0;
};

// SQL Server: global temporary tables named "##...", written as given.
const Dialect& SqlServerDialect();
// SQLite: temporary tables in the "temp" schema, names quoted.
const Dialect& SqliteDialect();
// PostgreSQL: a factory's database is a schema of the server's database;
// temporary tables live in the session's own schema, names quoted.
const Dialect& PostgresDialect();

}  // namespace gateway
