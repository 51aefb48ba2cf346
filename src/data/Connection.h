// A connection to a database, configured by an ADO-style connection string
// whose Provider item picks the driver: "SQLite" (Data Source = the database
// file, a relative path taken from the base directory), "MSDASQL" or a
// Driver/DSN item (ODBC, the items passed on), or a SQL Server provider
// (SQLOLEDB, SQLNCLI*, MSOLEDBSQL*: mapped to the ODBC keywords of the driver
// named by a Driver item, FreeTDS by default). It keeps the timeouts, the
// transaction, and the list of queries attached to it; it opens on demand.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/Dialect.h"
#include "data/Driver.h"

namespace gateway {

class Query;

class Connection {
 public:
  // `base_directory` resolves relative SQLite Data Source paths (the gateway root).
  explicit Connection(std::string base_directory = {});
  virtual ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const std::string& ConnectionString() const { return connection_string_; }
  // Raises when the connection is open.
  void SetConnectionString(std::string connection_string);
  const std::string& BaseDirectory() const { return base_directory_; }
  void SetBaseDirectory(std::string directory) { base_directory_ = std::move(directory); }

  // Seconds; 0 means no limit. The connection timeout bounds connecting (ODBC)
  // and waiting on a locked database (SQLite); the command timeout is used by
  // Execute. Defaults 15 and 30.
  int ConnectionTimeout() const { return connection_timeout_; }
  void SetConnectionTimeout(int seconds) { connection_timeout_ = seconds; }
  int CommandTimeout() const { return command_timeout_; }
  void SetCommandTimeout(int seconds) { command_timeout_ = seconds; }
  // Kept for callers that switch it; this layer never prompts for a login.
  bool LoginPrompt() const { return login_prompt_; }
  void SetLoginPrompt(bool prompt) { login_prompt_ = prompt; }

  // Connects; a connection whose link was lost is made anew.
  void Open();
  // Closes the database connection; open datasets keep their results.
  void Close();
  // False too once the link to the database was lost: the next use connects again.
  bool Connected() const { return driver_ != nullptr && !driver_->Lost(); }
  // True when the last failure showed that the link to the database is gone.
  bool Lost() const { return driver_ != nullptr && driver_->Lost(); }
  void SetConnected(bool connected) { connected ? Open() : Close(); }

  // One transaction at a time. No transaction stays open after CommitTrans or
  // RollbackTrans, even when they fail: a failed commit is rolled back, and a
  // failed rollback closes the connection. Rolling back a transaction whose
  // link was lost only forgets it: the server has ended it already.
  void BeginTrans();
  // Begins the transaction of a hand-over (rows read and marked as delivered
  // in one transaction), which keeps every other hand-over on the same
  // database waiting until it ends; the wait is bounded by the connection
  // timeout. `database_prefix` is the text standing for "$$" (see
  // DatabasePrefix, which must have run first). Ended by CommitTrans or
  // RollbackTrans.
  void BeginHandOver(std::string_view database_prefix);
  void CommitTrans();
  void RollbackTrans();
  bool InTransaction() const { return in_transaction_; }

  // Runs a statement without parameters; returns the rows it changed (-1 when unknown).
  int64_t Execute(std::string_view sql);

  // The text standing for "$$" for the company database `database`: "DB.." on
  // SQL Server, "DB." on SQLite (DB.db attached on first use); "" when the name
  // is blank. Opens the connection when needed.
  std::string DatabasePrefix(std::string_view database);
  const Dialect& GetDialect();

  // The provider's "Extended Properties": the items of the connection string
  // that the provider does not take itself, and the text of an explicit
  // "Extended Properties" item. Needs no open connection.
  std::string ExtendedProperties() const;

  // Datasets attached to the connection, in the order they attached.
  int DataSetCount() const { return static_cast<int>(datasets_.size()); }
  Query& DataSets(int index) const;
  virtual void RegisterClient(Query& query);
  virtual void UnRegisterClient(Query& query);

  // The open driver connection (opening it when needed).
  DriverConnection& Driver();

 private:
  std::string connection_string_;
  std::string base_directory_;
  int connection_timeout_ = 15;
  int command_timeout_ = 30;
  bool login_prompt_ = true;
  bool in_transaction_ = false;
  std::unique_ptr<DriverConnection> driver_;
  std::vector<Query*> datasets_;
};

// The "Extended Properties" of a connection string (see Connection); raises
// EDatabaseError for a string whose provider is not supported.
std::string ExtendedPropertiesOf(std::string_view connection_string);

// The ODBC connection string a connection string leads to (empty for SQLite);
// raises EDatabaseError like ExtendedPropertiesOf.
std::string OdbcConnectionStringOf(std::string_view connection_string);

}  // namespace gateway
