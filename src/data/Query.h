// A query: SQL text with named parameter markers, run through a connection,
// whose rows are held in memory as a DataSet once it is opened. The text's
// markers become "?" and one parameter each; statements that yield no rows
// run through ExecSQL.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataSet.h"
#include "data/Driver.h"
#include "data/Parameters.h"

namespace gateway {

class Connection;

enum CommandType : uint8_t { cmdText, cmdTable };
enum LockType : uint8_t { ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic };
enum CursorLocation : uint8_t { clUseServer, clUseClient };

class Query : public DataSet {
 public:
  Query();
  ~Query() override;

  // The connection the query runs on (borrowed), or a connection string of its
  // own (the query then keeps a private connection; relative SQLite paths need
  // the connection object).
  Connection* GetConnection() const { return connection_; }
  void SetConnection(Connection* connection);
  const std::string& ConnectionString() const { return connection_string_; }
  void SetConnectionString(std::string connection_string);

  // The SQL text as lines; every change runs SQLChanged.
  const std::vector<std::string>& SQL() const { return sql_; }
  std::string SQLText() const;  // the lines, each followed by "\n"
  void SetSQL(std::string_view text);
  void AddSQL(std::string_view line);
  void ClearSQL();

  // The text given to the driver: the SQL with its markers turned into "?"
  // (when ParamCheck is on), or a table name for cmdTable.
  const std::string& CommandText() const { return command_text_; }
  void SetCommandText(std::string text);
  CommandType GetCommandType() const { return command_type_; }
  void SetCommandType(CommandType type) { command_type_ = type; }
  bool ParamCheck() const { return param_check_; }
  void SetParamCheck(bool check) { param_check_ = check; }
  Parameters& Params();
  // Fills `into` with the parameters of the command as the driver describes
  // them (types where it can, the count at least).
  void DescribeParameters(Parameters& into);

  // Seconds the statement may run (0: no limit); default 30.
  int CommandTimeout() const { return command_timeout_; }
  void SetCommandTimeout(int seconds) { command_timeout_ = seconds; }
  // ltReadOnly makes the result read-only; every other lock type allows edits in memory.
  LockType GetLockType() const { return lock_type_; }
  void SetLockType(LockType lock_type) { lock_type_ = lock_type; }
  // Results are always held on the client; the setting is kept for callers.
  CursorLocation GetCursorLocation() const { return cursor_location_; }
  void SetCursorLocation(CursorLocation location) { cursor_location_ = location; }
  // When off, BCD and FMT-BCD fields are read as float fields.
  bool EnableBCD() const { return enable_bcd_; }
  void SetEnableBCD(bool enable) { enable_bcd_ = enable; }
  // A prepared query keeps its compiled statement between runs.
  bool Prepared() const { return statement_ != nullptr; }
  void SetPrepared(bool prepared);

  // Runs a statement; returns the rows it changed (-1 when it yields rows or
  // the driver cannot tell).
  int64_t ExecSQL();

 protected:
  // Default: closes the query and rebuilds the command text and, when
  // ParamCheck is on, the parameters (values kept by name).
  virtual void SQLChanged();
  // The parameter collection, made on first use; derived queries make their own kind.
  virtual std::unique_ptr<Parameters> CreateParameters();
  std::shared_ptr<RecordStore> OpenStore() override;

 private:
  friend class Connection;
  Connection& RequireConnection();
  DriverStatement& Statement(std::unique_ptr<DriverStatement>& temporary);
  std::string DriverText() const;
  void ReleaseStatement() { statement_.reset(); }
  void ConnectionGone() {
    statement_.reset();
    connection_ = nullptr;
  }

  Connection* connection_ = nullptr;
  std::unique_ptr<Connection> own_connection_;
  std::string connection_string_;
  std::vector<std::string> sql_;
  std::string command_text_;
  CommandType command_type_ = cmdText;
  bool param_check_ = true;
  std::unique_ptr<Parameters> params_;
  int command_timeout_ = 30;
  LockType lock_type_ = ltOptimistic;
  CursorLocation cursor_location_ = clUseClient;
  bool enable_bcd_ = true;
  std::unique_ptr<DriverStatement> statement_;
};

}  // namespace gateway
