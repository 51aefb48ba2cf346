// The statement forms that differ between database engines: the library writes
// SQL Server's dialect, and a driver supplies the other engines' forms of the
// temporary-table statements through this interface.
#pragma once

#include <string>
#include <string_view>

namespace gateway {

class Dialect {
 public:
  virtual ~Dialect();
  virtual const char* Name() const = 0;
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
};

// SQL Server: global temporary tables named "##...", written as given.
const Dialect& SqlServerDialect();
// SQLite: temporary tables in the "temp" schema, names quoted.
const Dialect& SqliteDialect();

}  // namespace gateway
