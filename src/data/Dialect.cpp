#include "data/Dialect.h"

#include "text/TextCase.h"

namespace gateway {

Dialect::~Dialect() = default;

namespace {

std::string QuoteIdentifier(std::string_view name) {
  return "\"" + ReplaceAll(name, "\"", "\"\"") + "\"";
}

bool IsPlainName(std::string_view name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
  for (const char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_';
    if (!ok) return false;
  }
  return true;
}

// "DB." for a plain name; any other name quoted. A plain name is folded by
// the engine like the table names written after it, so a schema made as
// "create schema FAC1" is found as FAC1.PURTC on every engine.
std::string SchemaPrefix(std::string_view database) {
  return (IsPlainName(database) ? std::string(database) : QuoteIdentifier(database)) + ".";
}

// SQL Server's column definitions of a temporary table, for an engine that
// rejects the comma after the last one.
std::string WithoutTrailingComma(std::string_view column_definitions) {
  std::string definitions = TrimRight(column_definitions);
  if (!definitions.empty() && definitions.back() == ',') definitions.pop_back();
  return definitions;
}

class SqlServer final : public Dialect {
 public:
  const char* Name() const override { return "SQL Server"; }
  std::string CompanyPrefix(std::string_view database) const override {
    return std::string(database) + "..";
  }
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

// The engines where a company database is a schema and temporary tables are
// made with "create temp table" under a quoted name (SQLite, PostgreSQL).
class SchemaDialect : public Dialect {
 public:
  std::string CompanyPrefix(std::string_view database) const override {
    return SchemaPrefix(database);
  }
  std::string CreateTempTableAs(std::string_view name, std::string_view select) const override {
    return "create temp table " + QuoteIdentifier(name) + " as " + std::string(select);
  }
  std::string DropTempTable(std::string_view name) const override {
    return "drop table " + TempTableName(name);
  }
};

class Sqlite final : public SchemaDialect {
 public:
  const char* Name() const override { return "SQLite"; }
  std::string TempTableName(std::string_view name) const override {
    return "temp." + QuoteIdentifier(name);
  }
  std::string CreateTempTable(std::string_view name,
                              std::string_view column_definitions) const override {
    return "create temp table " + QuoteIdentifier(name) + "(" +
           WithoutTrailingComma(column_definitions) + ")";
  }
  // BEGIN IMMEDIATE takes the write lock at once, on the main database and
  // every attached one (so the company database must be attached before):
  // the second hand-over waits there, for the connection's busy timeout,
  // until the first one commits or rolls back. Plain readers are not kept
  // out, and no reader can see the marks before the commit.
  HandOverStatements HandOver(std::string_view, int) const override {
    return {"BEGIN IMMEDIATE", ""};
  }
};

// A factory's database is a schema of the server's database.
class Postgres final : public SchemaDialect {
 public:
  const char* Name() const override { return "PostgreSQL"; }
  // Temporary tables live in the session's own schema, which is searched first.
  std::string TempTableName(std::string_view name) const override {
    return QuoteIdentifier(name);
  }
  std::string CreateTempTable(std::string_view name,
                              std::string_view column_definitions) const override {
    // SQL Server's datetime and image are timestamp and bytea here; every
    // definition is still followed by its comma.
    std::string definitions = ReplaceAll(column_definitions, " datetime,", " timestamp,");
    definitions = WithoutTrailingComma(ReplaceAll(definitions, " image,", " bytea,"));
    return "create temp table " + QuoteIdentifier(name) + "(" + definitions + ")";
  }
  // A hand-over takes an advisory lock of the company schema, owned by its
  // transaction, before it reads anything. A serializable transaction with a
  // bounded retry would also keep two hand-overs from returning the same
  // order, but the one that loses would fail after reading a possibly large
  // result and read it again; with the lock, the second hand-over simply
  // waits until the first commits or rolls back, and its SELECT (read
  // committed: each statement sees what was committed before it began) then
  // reads the first one's marks. Plain readers and the ERP's own writers are
  // not kept out: the lock is advisory, as SQL Server's application lock is.
  // lock_timeout bounds the wait; a lock not granted in time, or a deadlock
  // with another writer while marking, raises an error, and the hand-over
  // rolls back with nothing marked. The key is the schema as the server names
  // it: a plain name folds to lower case.
  HandOverStatements HandOver(std::string_view database_prefix,
                              int timeout_seconds) const override {
    std::string schema(database_prefix);
    if (schema.empty() || schema.front() != '"') schema = LowerCaseAscii(schema);
    const std::string wait =
        timeout_seconds > 0 ? "'" + std::to_string(timeout_seconds) + "s'" : std::string("0");
    return {"", "SET LOCAL lock_timeout = " + wait +
                    "; DO $lock$ BEGIN PERFORM pg_advisory_xact_lock(hashtext('gateway hand-over " +
                    ReplaceAll(schema, "'", "''") +
                    "')); EXCEPTION WHEN lock_not_available THEN RAISE EXCEPTION "
                    "'Another hand-over kept the orders locked for the whole wait'; END $lock$"};
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

const Dialect& PostgresDialect() {
  static const Postgres dialect;
  return dialect;
}

}  // namespace gateway
