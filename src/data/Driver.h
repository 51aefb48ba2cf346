// The interface between the connection and query classes and a database
// driver: connecting, preparing a statement, describing its parameters,
// running it (with a timeout) and fetching its whole result into a
// ResultBuilder, transactions, and the engine's dialect.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "data/Dialect.h"
#include "data/Parameters.h"
#include "data/RecordStore.h"

namespace gateway {

// One prepared statement. It belongs to the driver connection that made it and
// must be destroyed before that connection closes.
class DriverStatement {
 public:
  virtual ~DriverStatement();

  // Number of "?" markers in the statement.
  virtual int ParameterCount() const = 0;
  // Replaces the list's items with one item per marker, typed as far as the
  // driver can describe them (ftUnknown where it cannot).
  virtual void DescribeParameters(Parameters& into) = 0;
  // True when the statement yields rows, as far as the driver can tell before
  // it runs (an ODBC driver for another engine than SQLite or PostgreSQL may
  // not: then true).
  virtual bool ReturnsRows() const = 0;

  // Runs the statement with the values of `values` (one per marker, in order)
  // and returns the number of rows it changed (-1 when the statement yields
  // rows or the driver cannot tell). `timeout_seconds` 0 means no limit.
  virtual int64_t Execute(const Parameters& values, int timeout_seconds) = 0;
  // Runs a statement that yields rows and fetches all of them into `result`;
  // the timeout covers running and fetching.
  virtual void Open(const Parameters& values, int timeout_seconds, ResultBuilder& result,
                    bool bcd_as_float) = 0;
};

// One open connection to a database.
class DriverConnection {
 public:
  virtual ~DriverConnection();

  virtual std::unique_ptr<DriverStatement> Prepare(std::string_view sql) = 0;
  virtual void BeginTransaction() = 0;
  // Begins the transaction of a hand-over as the dialect says (Dialect::
  // HandOver), waiting at most `timeout_seconds` for another hand-over on the
  // same database to end. Commit and Rollback end it. A failure leaves no
  // transaction open.
  virtual void BeginHandOver(std::string_view database_prefix, int timeout_seconds) = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;
  // The text that stands for "$$" in statements for the company database
  // `database` (not blank); may attach the database first.
  virtual std::string DatabasePrefix(std::string_view database) = 0;
  virtual const Dialect& GetDialect() const = 0;
  // True once a failure has shown that the link to the database is gone (the
  // server stopped or ended the session); the connection is of no further use.
  virtual bool Lost() const { return false; }
  // What the connection reaches, for messages ("SQLite database '/data/erp.db'").
  virtual std::string Description() const = 0;
};

// Helpers shared by the drivers.
// Field names must be unique to be found by name: a second "x" becomes "x_1".
// `taken` holds the upper-cased names given so far.
std::string UniqueFieldName(std::string_view name, std::set<std::string>& taken);
// The statement as quoted in error messages (cut after 500 characters).
std::string ShortenStatement(std::string_view sql);

}  // namespace gateway
