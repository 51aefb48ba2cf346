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
  // An application lock of the company database, owned by the transaction:
  // the second hand-over waits in sp_getapplock until the first one's
  // transaction ends, and its SELECT then reads the committed marks. A lock
  // not granted in time (or a deadlock victim) raises an error, so the
  // hand-over fails before it has read anything. Called with the database
  // prefix ("FAC1..sp_getapplock"), the system procedure runs in that
  // database, where the orders are.
  HandOverStatements HandOver(std::string_view database_prefix,
                              int timeout_seconds) const override {
    const std::string wait =
        timeout_seconds > 0 ? std::to_string(static_cast<long long>(timeout_seconds) * 1000) : "-1";
    std::string lock = "DECLARE @granted int; EXEC @granted = " + std::string(database_prefix);
    lock += "sp_getapplock @Resource = N'gateway hand-over', @LockMode = N'Exclusive', ";
    lock += "@LockOwner = N'Transaction', @LockTimeout = " + wait + "; ";
    lock += "IF @granted < 0 RAISERROR(N'Another hand-over held the hand-over lock for the whole ";
    lock += "wait (sp_getapplock returned %d)', 16, 1, @granted)";
    return {"", lock};
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
  // BEGIN IMMEDIATE takes the write lock at once, on the main database and
  // every attached one (so the company database must be attached before):
  // the second hand-over waits there, for the connection's busy timeout,
  // until the first one commits or rolls back. Plain readers are not kept
  // out, and no reader can see the marks before the commit.
  HandOverStatements HandOver(std::string_view, int) const override {
    return {"BEGIN IMMEDIATE", ""};
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
