#include "data/Dialect.h"

#include "text/TextCase.h"

namespace gateway {

Dialect::~Dialect() = default;

namespace {

class SqlServer final : public Dialect {
 public:
  const char* Name() const override { return "SQL Server"; }
  std::string TempTableName(std::string_view name) const override { return std::string(name); }
  std::string CreateTempTable(std::string_view name,
                              std::string_view column_definitions) const override {
    // SQL Server accepts the trailing comma after the last definition.
    return "create table " + std::string(name) + "(" + std::string(column_definitions) + ")";
  }
  std::string CreateTempTableAs(std::string_view name, std::string_view select) const override {
    return "select * into " + std::string(name) + " from (" + std::string(select) + ") as source";
  }
  std::string DropTempTable(std::string_view name) const override {
    return "drop table " + std::string(name);
  }
};

class Sqlite final : public Dialect {
 public:
  const char* Name() const override { return "SQLite"; }
  std::string TempTableName(std::string_view name) const override {
    return "temp." + QuoteIdentifier(name);
  }
  std::string CreateTempTable(std::string_view name,
                              std::string_view column_definitions) const override {
    // SQLite rejects a comma after the last column definition.
    std::string definitions = TrimRight(column_definitions);
    if (!definitions.empty() && definitions.back() == ',') definitions.pop_back();
    return "create temp table " + QuoteIdentifier(name) + "(" + definitions + ")";
  }
  std::string CreateTempTableAs(std::string_view name, std::string_view select) const override {
    return "create temp table " + QuoteIdentifier(name) + " as " + std::string(select);
  }
  std::string DropTempTable(std::string_view name) const override {
    return "drop table " + TempTableName(name);
  }

 private:
  static std::string QuoteIdentifier(std::string_view name) {
    return "\"" + ReplaceAll(name, "\"", "\"\"") + "\"";
  }
};

}  // namespace

const Dialect& SqlServerDialect() {
  static const SqlServer dialect;
  return dialect;
}

const Dialect& SqliteDialect() {
  static const Sqlite dialect;
  return dialect;
}

}  // namespace gateway
