#include "data/odbc/OdbcDriver.h"

#include <sql.h>
#include <sqlext.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "config/Errors.h"
#include "data/ConnectionItems.h"
#include "data/ValueText.h"
#include "data/sqlite/SqliteTypes.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

// One ODBC handle, freed when it goes.
class Handle {
 public:
  Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &handle_))) handle_ = SQL_NULL_HANDLE;
  }
  ~Handle() {
    if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  SQLHANDLE get() const { return handle_; }
  SQLSMALLINT type() const { return type_; }

 private:
  SQLSMALLINT type_;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

struct Diagnostics {
  std::vector<DatabaseErrorEntry> entries;
  std::string first_state;
};

// Every diagnostic record of the handle, as "[SQLSTATE] text" with its native code.
Diagnostics ReadDiagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  Diagnostics result;
  if (handle == SQL_NULL_HANDLE) return result;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLCHAR state[6] = {0};
    SQLINTEGER native = 0;
    std::vector<SQLCHAR> text(1024);
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(type, handle, record, state, &native, text.data(),
                                 static_cast<SQLSMALLINT>(text.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && static_cast<size_t>(length) >= text.size()) {
      text.resize(static_cast<size_t>(length) + 1);
      rc = SQLGetDiagRec(type, handle, record, state, &native, text.data(),
                         static_cast<SQLSMALLINT>(text.size()), &length);
    }
    if (!SQL_SUCCEEDED(rc)) break;
    const std::string sqlstate(reinterpret_cast<const char*>(state));
    if (result.first_state.empty()) result.first_state = sqlstate;
    const size_t size = std::min(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)), text.size() - 1);
    result.entries.push_back(
        {static_cast<int>(native),
         "[" + sqlstate + "] " + std::string(reinterpret_cast<const char*>(text.data()), size)});
  }
  return result;
}

[[noreturn]] void Fail(const std::string& what, const Diagnostics& diagnostics,
                       std::string_view sql = {}) {
  std::string message = what;
  if (!diagnostics.entries.empty()) message += ": " + diagnostics.entries.front().Message;
  if (!sql.empty()) message += " [statement: " + ShortenStatement(sql) + "]";
  throw EDatabaseError(message, diagnostics.entries);
}

[[noreturn]] void Fail(const std::string& what, const Handle& handle, std::string_view sql = {}) {
  Fail(what, ReadDiagnostics(handle.type(), handle.get()), sql);
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// Cancels a statement that runs past its command timeout. Drivers that do not
// honour SQL_ATTR_QUERY_TIMEOUT (the SQLite ODBC driver among them) are
// stopped this way too; SQLCancel from another thread is ODBC's way to stop a
// running statement.
//
// The thread sleeps until one deadline and is not woken for every statement:
// arming only moves the deadline, and wakes the thread only when the new
// deadline comes before the time it sleeps until (or it sleeps without one).
// A thread that wakes at its time finds the later deadline of the statement
// now running and sleeps on until then, so a statement is still cancelled
// when its own deadline passes, and a run of short statements costs about
// one wake-up per timeout instead of one each.
class Watchdog {
 public:
  using Clock = std::chrono::steady_clock;

  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  void Arm(SQLHSTMT statement, int timeout_seconds) {
    if (timeout_seconds <= 0) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    statement_ = statement;
    deadline_ = Clock::now() + std::chrono::seconds(timeout_seconds);
    armed_ = true;
    fired_ = false;
    if (deadline_ < sleeps_until_) wake_.notify_all();
  }

  // Returns true when the statement was cancelled.
  bool Disarm() {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
    const bool fired = fired_;
    fired_ = false;
    return fired;
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
      if (armed_ && Clock::now() >= deadline_) {
        SQLCancel(statement_);
        fired_ = true;
        armed_ = false;
        continue;
      }
      if (armed_) {
        sleeps_until_ = deadline_;
        wake_.wait_until(lock, sleeps_until_);
      } else {
        sleeps_until_ = Clock::time_point::max();
        wake_.wait(lock);
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  SQLHSTMT statement_ = SQL_NULL_HSTMT;
  Clock::time_point deadline_;
  // When the thread wakes by itself; the latest possible time while it waits
  // without a deadline (or has not started waiting yet).
  Clock::time_point sleeps_until_ = Clock::time_point::max();
  bool armed_ = false;
  bool fired_ = false;
  bool stop_ = false;
};

enum class FetchKind { kText, kBinary, kInteger, kFloat, kBit, kTimestamp, kDate, kTime };

struct ColumnPlan {
  SQLUSMALLINT number;
  FetchKind fetch;
};

FieldType TypeOfSqlType(SQLSMALLINT sql_type, SQLULEN size, SQLSMALLINT digits,
                        const std::string& type_name) {
  switch (sql_type) {
    case SQL_CHAR:
      return ftFixedChar;
    case SQL_VARCHAR:
      return size == 0 ? ftMemo : ftString;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
      return ftMemo;
    case SQL_WCHAR:
      return ftWideString;
    case SQL_WVARCHAR:
      return size == 0 ? ftMemo : ftWideString;
    case SQL_GUID:
      return ftGuid;
    case SQL_TINYINT:
      return ftWord;
    case SQL_SMALLINT:
      return ftSmallint;
    case SQL_INTEGER:
      return ftInteger;
    case SQL_BIGINT:
      return ftLargeint;
    case SQL_BIT:
      return ftBoolean;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return ftFloat;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      if (SameTextAscii(type_name, "money") || SameTextAscii(type_name, "smallmoney")) {
        return ftCurrency;
      }
      return (size <= 18 && digits <= 4) ? ftBCD : ftFMTBcd;
    case SQL_TYPE_DATE:
    case SQL_DATE:
      return ftDate;
    case SQL_TYPE_TIME:
    case SQL_TIME:
      return ftTime;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
      return ftDateTime;
    case SQL_BINARY:
      return ftBytes;
    case SQL_VARBINARY:
      return size == 0 ? ftBlob : ftBytes;
    case SQL_LONGVARBINARY:
      return ftBlob;
    default:
      return ftString;
  }
}

SQLSMALLINT SqlTypeOfField(FieldType type) {
  switch (type) {
    case ftFixedChar:
      return SQL_CHAR;
    case ftWideString:
      return SQL_WVARCHAR;
    case ftMemo:
      return SQL_LONGVARCHAR;
    case ftGuid:
      return SQL_GUID;
    case ftSmallint:
    case ftWord:
      return SQL_SMALLINT;
    case ftInteger:
    case ftAutoInc:
      return SQL_INTEGER;
    case ftLargeint:
      return SQL_BIGINT;
    case ftBoolean:
      return SQL_BIT;
    case ftFloat:
      return SQL_DOUBLE;
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
      return SQL_DECIMAL;
    case ftDate:
      return SQL_TYPE_DATE;
    case ftTime:
      return SQL_TYPE_TIME;
    case ftDateTime:
      return SQL_TYPE_TIMESTAMP;
    case ftBytes:
      return SQL_VARBINARY;
    case ftBlob:
    case ftGraphic:
      return SQL_LONGVARBINARY;
    default:
      return SQL_VARCHAR;
  }
}

class OdbcConnection final : public DriverConnection {
 public:
  OdbcConnection(const std::string& connection_string, std::string description,
                 int login_timeout, OdbcOptions options)
      : description_(std::move(description)) {
    if (env_.get() == SQL_NULL_HANDLE) {
      throw EDatabaseError("Cannot start ODBC: the driver manager gave no environment");
    }
    SQLSetEnvAttr(env_.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    // As with the SQLite driver, the connection timeout bounds the wait on a
    // locked database. The SQLite ODBC driver takes that wait only from its
    // "Timeout" item (milliseconds; its own default is 100 seconds, spent even
    // while connecting). A driver named as an SQLite driver gets the item at
    // once; for one reached otherwise (a DSN) the engine is known only once
    // connected, and the connection is made again with the item.
    const std::vector<ConnectionItem> items = SplitConnectionItems(connection_string);
    const long long milliseconds = login_timeout > 0 && login_timeout < 2'000'000
                                       ? login_timeout * 1000LL
                                       : 2'000'000'000LL;
    const std::string with_wait = connection_string + ";Timeout=" + std::to_string(milliseconds);
    const bool has_wait = HasConnectionItem(items, "Timeout");
    const bool sqlite_driver =
        LowerCaseAscii(FindConnectionItem(items, "Driver")).find("sqlite") != std::string::npos;
    Connect(has_wait || !sqlite_driver ? connection_string : with_wait, login_timeout);
    if (sqlite_ && !has_wait && !sqlite_driver) {
      SQLDisconnect(dbc_->get());
      connected_ = false;
      Connect(with_wait, login_timeout);  // on a new handle: a reconnected one keeps the old wait
    }
    text_fetch_ = options.fetch == OdbcOptions::Fetch::kText ||
                  (options.fetch == OdbcOptions::Fetch::kAuto && sqlite_);
  }

  ~OdbcConnection() override {
    watchdog_.reset();
    if (connected_) {
      if (in_transaction_) EndQuietly();
      SQLDisconnect(dbc_->get());
    }
  }

  std::unique_ptr<DriverStatement> Prepare(std::string_view sql) override;

  void BeginTransaction() override {
    if (!SQL_SUCCEEDED(SQLSetConnectAttr(dbc_->get(), SQL_ATTR_AUTOCOMMIT,
                                         reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0))) {
      FailOnLink("Cannot begin a transaction on the " + description_,
                 ReadDiagnostics(SQL_HANDLE_DBC, dbc_->get()));
    }
    in_transaction_ = true;
  }
  void BeginHandOver(std::string_view database_prefix, int timeout_seconds) override {
    const HandOverStatements start = GetDialect().HandOver(database_prefix, timeout_seconds);
    std::string what = "Cannot begin the hand-over on the " + description_;
    if (!attached_files_.empty()) what += " (with its attached " + attached_files_ + ")";
    if (timeout_seconds > 0) {
      what += ", waiting at most " + std::to_string(timeout_seconds) +
              " seconds (the connection timeout) for another one to end";
    }
    if (start.begin.empty()) {
      BeginTransaction();
    } else {
      // A transaction the engine begins by statement (SQLite's BEGIN
      // IMMEDIATE) runs with the driver's autocommit left on, so that the
      // driver does not begin one of its own; it ends by statement too.
      ExecDirect(start.begin, what);
      in_transaction_ = true;
      by_statement_ = true;
    }
    if (start.lock.empty()) return;
    try {
      ExecDirect(start.lock, what);
    } catch (...) {
      EndQuietly();
      throw;
    }
  }
  void Commit() override { EndTransaction(SQL_COMMIT, "commit"); }
  void Rollback() override { EndTransaction(SQL_ROLLBACK, "roll back"); }

  std::string DatabasePrefix(std::string_view database) override;
  bool Lost() const override { return lost_; }
  const Dialect& GetDialect() const override {
    return sqlite_ ? SqliteDialect() : postgres_ ? PostgresDialect() : SqlServerDialect();
  }
  std::string Description() const override { return description_; }

  SQLHDBC Dbc() const { return dbc_->get(); }

  // Raises for a failed call on this connection. When the failure shows that
  // the link to the server is gone (a server that stopped or ended this
  // session), the message says so and the connection counts as lost: its
  // owner makes a new one for the next statement.
  [[noreturn]] void FailOnLink(const std::string& what, const Diagnostics& diagnostics,
                               std::string_view sql = {}) {
    if (LinkIsDead(diagnostics)) {
      lost_ = true;
      Fail("The connection to the " + description_ + " was lost (" + what + ")", diagnostics, sql);
    }
    Fail(what, diagnostics, sql);
  }

  bool IsSqlite() const { return sqlite_; }
  // True for the engines whose drivers describe a prepared statement's
  // result before it runs (PostgreSQL's parses it on the server).
  bool DescribesBeforeRunning() const { return sqlite_ || postgres_; }
  // True for the engines that fold unquoted names to lower case (PostgreSQL).
  bool FoldsNamesToLowerCase() const { return postgres_; }
  bool TextFetch() const { return text_fetch_; }
  Watchdog& GetWatchdog() {
    if (!watchdog_) watchdog_ = std::make_unique<Watchdog>();
    return *watchdog_;
  }

 private:
  bool LinkIsDead(const Diagnostics& diagnostics) const {
    if (diagnostics.first_state.rfind("08", 0) == 0) return true;  // connection exceptions
    // PostgreSQL's server shutting down or ending the session (57P01 to 57P03).
    if (postgres_ && diagnostics.first_state.rfind("57P0", 0) == 0) return true;
    SQLUINTEGER dead = SQL_CD_FALSE;
    return SQL_SUCCEEDED(SQLGetConnectAttr(dbc_->get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
           dead == SQL_CD_TRUE;
  }

  void EndTransaction(SQLSMALLINT kind, const char* verb) {
    if (by_statement_) {
      try {
        ExecDirect(kind == SQL_COMMIT ? "COMMIT" : "ROLLBACK",
                   std::string("Cannot ") + verb + " the transaction on the " + description_);
      } catch (...) {
        EndQuietly();  // no transaction stays open behind a failed commit
        throw;
      }
      by_statement_ = false;
      in_transaction_ = false;
      return;
    }
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc_->get(), kind);
    const Diagnostics diagnostics = SQL_SUCCEEDED(rc) ? Diagnostics{} : ReadDiagnostics(SQL_HANDLE_DBC, dbc_->get());
    SQLSetConnectAttr(dbc_->get(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    in_transaction_ = false;
    if (!SQL_SUCCEEDED(rc)) {
      FailOnLink(std::string("Cannot ") + verb + " the transaction on the " + description_,
                 diagnostics);
    }
  }

  // Rolls an open transaction back, ignoring failures (the caller is failing already).
  void EndQuietly() {
    if (by_statement_) {
      Handle statement(SQL_HANDLE_STMT, dbc_->get());
      SQLCHAR rollback[] = "ROLLBACK";
      SQLExecDirect(statement.get(), rollback, SQL_NTS);
    } else {
      SQLEndTran(SQL_HANDLE_DBC, dbc_->get(), SQL_ROLLBACK);
      SQLSetConnectAttr(dbc_->get(), SQL_ATTR_AUTOCOMMIT,
                        reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    }
    in_transaction_ = false;
    by_statement_ = false;
  }

  // Runs a statement (or a batch) without parameters or rows to keep; every
  // result of a batch is stepped through, so that an error raised by a later
  // statement of the batch is not missed.
  void ExecDirect(const std::string& sql, const std::string& what) {
    Handle statement(SQL_HANDLE_STMT, dbc_->get());
    std::vector<SQLCHAR> text(sql.begin(), sql.end());
    text.push_back(0);
    SQLRETURN rc = SQLExecDirect(statement.get(), text.data(), SQL_NTS);
    while (SQL_SUCCEEDED(rc)) rc = SQLMoreResults(statement.get());
    if (rc != SQL_NO_DATA) FailOnLink(what, ReadDiagnostics(SQL_HANDLE_STMT, statement.get()), sql);
  }

  std::string MainSqliteFile();

  void Connect(const std::string& connection_string, int login_timeout) {
    dbc_ = std::make_unique<Handle>(SQL_HANDLE_DBC, env_.get());
    if (dbc_->get() == SQL_NULL_HANDLE) Fail("Cannot start ODBC", env_);
    if (login_timeout > 0) {
      SQLSetConnectAttr(dbc_->get(), SQL_ATTR_LOGIN_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(login_timeout)), 0);
    }
    std::vector<SQLCHAR> text(connection_string.begin(), connection_string.end());
    text.push_back(0);
    SQLCHAR completed[1024];
    SQLSMALLINT completed_length = 0;
    const SQLRETURN rc = SQLDriverConnect(dbc_->get(), nullptr, text.data(), SQL_NTS, completed,
                                          sizeof completed, &completed_length,
                                          SQL_DRIVER_NOPROMPT);
    // Neither copy of the string may linger: it may hold a password.
    std::fill(text.begin(), text.end(), 0);
    std::fill(std::begin(completed), std::end(completed), 0);
    if (!SQL_SUCCEEDED(rc)) Fail("Cannot connect to the " + description_, *dbc_);
    connected_ = true;
    SQLCHAR name[256] = {0};
    SQLSMALLINT name_length = 0;
    SQLGetInfo(dbc_->get(), SQL_DBMS_NAME, name, sizeof name, &name_length);
    dbms_ = reinterpret_cast<const char*>(name);
    sqlite_ = LowerCaseAscii(dbms_).find("sqlite") != std::string::npos;
    postgres_ = LowerCaseAscii(dbms_).find("postgres") != std::string::npos;
  }

  Handle env_{SQL_HANDLE_ENV, SQL_NULL_HANDLE};
  std::unique_ptr<Handle> dbc_;
  std::unique_ptr<Watchdog> watchdog_;
  std::string description_;
  std::string dbms_;
  bool sqlite_ = false;
  bool postgres_ = false;
  bool text_fetch_ = false;
  bool connected_ = false;
  bool in_transaction_ = false;
  bool by_statement_ = false;  // the open transaction was begun by a statement
  bool lost_ = false;
  std::set<std::string> attached_;
  std::string attached_files_;  // for messages: 'a.db', 'b.db'
};

class OdbcStatement final : public DriverStatement {
 public:
  OdbcStatement(OdbcConnection& connection, std::string_view sql)
      : connection_(connection), sql_(sql), stmt_(SQL_HANDLE_STMT, connection.Dbc()) {
    if (stmt_.get() == SQL_NULL_HANDLE) {
      connection_.FailOnLink("Cannot make a statement on the " + connection_.Description(),
                             ReadDiagnostics(SQL_HANDLE_DBC, connection_.Dbc()));
    }
    std::vector<SQLCHAR> text(sql_.begin(), sql_.end());
    text.push_back(0);
    if (!SQL_SUCCEEDED(SQLPrepare(stmt_.get(), text.data(), static_cast<SQLINTEGER>(sql_.size())))) {
      connection_.FailOnLink("The database rejected the statement",
                             ReadDiagnostics(SQL_HANDLE_STMT, stmt_.get()), sql_);
    }
    SQLSMALLINT count = 0;
    if (SQL_SUCCEEDED(SQLNumParams(stmt_.get(), &count))) parameter_count_ = count;
    SQLSMALLINT columns = 0;
    if (SQL_SUCCEEDED(SQLNumResultCols(stmt_.get(), &columns))) {
      column_count_ = columns;
    } else if (connection_.DescribesBeforeRunning()) {
      // The PostgreSQL driver parses the statement on the server only when it
      // is first described: a missing table shows here, not in SQLPrepare.
      connection_.FailOnLink("The database rejected the statement",
                             ReadDiagnostics(SQL_HANDLE_STMT, stmt_.get()), sql_);
    }
  }

  int ParameterCount() const override { return parameter_count_; }

  void DescribeParameters(Parameters& into) override {
    into.Clear();
    for (int i = 1; i <= parameter_count_; ++i) {
      Parameter& item = into.Add();
      item.SetDirection(pdInput);
      SQLSMALLINT type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      if (!SQL_SUCCEEDED(SQLDescribeParam(stmt_.get(), static_cast<SQLUSMALLINT>(i), &type, &size,
                                          &digits, &nullable))) {
        continue;  // the driver cannot describe it: the type stays unknown
      }
      item.SetDataType(TypeOfSqlType(type, size, digits, {}));
      item.SetSize(static_cast<int>(std::min<SQLULEN>(size, 1u << 30)));
      item.SetPrecision(static_cast<int>(std::min<SQLULEN>(size, 1u << 30)));
      item.SetNumericScale(digits);
      if (nullable == SQL_NULLABLE) item.SetAttributes(paNullable);
    }
  }

  // Engines other than SQLite may not tell before the statement runs (FreeTDS);
  // for them Open finds out afterwards.
  bool ReturnsRows() const override {
    return column_count_ > 0 || !connection_.DescribesBeforeRunning();
  }

  int64_t Execute(const Parameters& values, int timeout_seconds) override {
    Run(values, timeout_seconds);
    int64_t affected = -1;
    bool rows = false;
    SQLRETURN rc = SQL_SUCCESS;
    do {
      SQLSMALLINT columns = 0;
      SQLNumResultCols(stmt_.get(), &columns);
      if (columns > 0) {
        rows = true;
      } else {
        SQLLEN count = -1;
        if (SQL_SUCCEEDED(SQLRowCount(stmt_.get(), &count)) && count >= 0) {
          affected = (affected < 0 ? 0 : affected) + count;
        }
      }
      rc = SQLMoreResults(stmt_.get());
    } while (SQL_SUCCEEDED(rc));
    const bool cancelled = connection_.GetWatchdog().Disarm();
    if (rc != SQL_NO_DATA) FailRunning("The statement failed", cancelled, timeout_seconds);
    SQLFreeStmt(stmt_.get(), SQL_CLOSE);
    return rows ? -1 : affected;
  }

  void Open(const Parameters& values, int timeout_seconds, ResultBuilder& result,
            bool bcd_as_float) override {
    Run(values, timeout_seconds);
    try {
      SQLSMALLINT columns = 0;
      SQLNumResultCols(stmt_.get(), &columns);
      while (columns == 0) {
        // Statements before the first that yields rows (SET NOCOUNT ON; ...).
        const SQLRETURN rc = SQLMoreResults(stmt_.get());
        if (rc == SQL_NO_DATA) {
          throw EDatabaseError("The statement returned no result set [statement: " +
                               ShortenStatement(sql_) + "]");
        }
        if (!SQL_SUCCEEDED(rc)) FailRunning("The statement failed", false, timeout_seconds);
        SQLNumResultCols(stmt_.get(), &columns);
      }
      std::vector<ColumnPlan> plan;
      result.DefineColumns(DescribeColumns(columns, plan), bcd_as_float);
      FetchRows(plan, result, timeout_seconds);
      SQLRETURN rc;
      while (SQL_SUCCEEDED(rc = SQLMoreResults(stmt_.get()))) {
      }
      if (rc != SQL_NO_DATA) FailRunning("The statement failed", false, timeout_seconds);
    } catch (...) {
      connection_.GetWatchdog().Disarm();
      SQLFreeStmt(stmt_.get(), SQL_CLOSE);
      throw;
    }
    connection_.GetWatchdog().Disarm();
    SQLFreeStmt(stmt_.get(), SQL_CLOSE);
  }

 private:
  // Storage for bound parameter values; it must stay put while the statement runs.
  struct Bound {
    std::string data;
    SQLBIGINT integer = 0;
    double number = 0;
    unsigned char bit = 0;
    SQL_TIMESTAMP_STRUCT timestamp{};
    SQLLEN indicator = 0;
  };

  void Bind(const Parameters& values) {
    if (values.Count() != parameter_count_) {
      throw EDatabaseError("The statement has " + std::to_string(parameter_count_) +
                           " parameter markers but " + std::to_string(values.Count()) +
                           " parameters were given [statement: " + ShortenStatement(sql_) + "]");
    }
    SQLFreeStmt(stmt_.get(), SQL_RESET_PARAMS);
    bound_.assign(static_cast<size_t>(parameter_count_), Bound{});
    for (int i = 0; i < parameter_count_; ++i) {
      const Parameter& parameter = values[i];
      const DataValue& value = parameter.Value();
      Bound& slot = bound_[static_cast<size_t>(i)];
      SQLSMALLINT c_type = SQL_C_CHAR;
      SQLSMALLINT sql_type = SQL_VARCHAR;
      SQLULEN size = 1;
      SQLSMALLINT digits = 0;
      SQLPOINTER pointer = nullptr;
      SQLLEN buffer_length = 0;
      switch (value.GetKind()) {
        case DataValue::kNull:
          sql_type = SqlTypeOfField(parameter.DataType());
          if (IsBinaryType(parameter.DataType())) c_type = SQL_C_BINARY;
          size = parameter.Size() > 0 ? static_cast<SQLULEN>(parameter.Size()) : 1;
          if (sql_type == SQL_TYPE_TIMESTAMP) size = 23, digits = 3;
          slot.indicator = SQL_NULL_DATA;
          pointer = &slot.bit;
          break;
        case DataValue::kBoolean:
          c_type = SQL_C_BIT;
          sql_type = SQL_BIT;
          slot.bit = value.AsBoolean() ? 1 : 0;
          pointer = &slot.bit;
          break;
        case DataValue::kInteger:
          c_type = SQL_C_SBIGINT;
          sql_type = SQL_BIGINT;
          size = 19;
          slot.integer = value.AsInteger();
          pointer = &slot.integer;
          break;
        case DataValue::kFloat:
          c_type = SQL_C_DOUBLE;
          sql_type = SQL_DOUBLE;
          size = 15;
          slot.number = value.AsFloat();
          pointer = &slot.number;
          break;
        case DataValue::kDateTime: {
          const DateTime date = value.AsDateTime();
          if (connection_.IsSqlite()) {
            // SQLite keeps date-times as text; written as the SQLite driver writes them.
            const FieldType kind =
                parameter.DataType() == ftDate || parameter.DataType() == ftTime
                    ? parameter.DataType()
                    : ftDateTime;
            slot.data = FormatIsoDateTime(date, kind);
            pointer = slot.data.data();
            slot.indicator = static_cast<SQLLEN>(slot.data.size());
            size = std::max<SQLULEN>(slot.data.size(), 1);
          } else {
            c_type = SQL_C_TYPE_TIMESTAMP;
            sql_type = SQL_TYPE_TIMESTAMP;
            size = 23;
            digits = 3;
            slot.timestamp.year = static_cast<SQLSMALLINT>(date.Year);
            slot.timestamp.month = static_cast<SQLUSMALLINT>(date.Month);
            slot.timestamp.day = static_cast<SQLUSMALLINT>(date.Day);
            slot.timestamp.hour = static_cast<SQLUSMALLINT>(date.Hour);
            slot.timestamp.minute = static_cast<SQLUSMALLINT>(date.Minute);
            slot.timestamp.second = static_cast<SQLUSMALLINT>(date.Second);
            slot.timestamp.fraction = static_cast<SQLUINTEGER>(date.Millisecond) * 1000000u;
            pointer = &slot.timestamp;
          }
          break;
        }
        case DataValue::kString:
        case DataValue::kBytes: {
          const bool binary = value.GetKind() == DataValue::kBytes;
          slot.data = value.AsString();
          c_type = binary ? SQL_C_BINARY : SQL_C_CHAR;
          const bool long_data = slot.data.size() > 8000;
          sql_type = binary ? (long_data ? SQL_LONGVARBINARY : SQL_VARBINARY)
                            : (long_data ? SQL_LONGVARCHAR : SQL_VARCHAR);
          size = std::max<SQLULEN>(slot.data.size(), 1);
          pointer = slot.data.data();
          buffer_length = static_cast<SQLLEN>(slot.data.size());
          slot.indicator = static_cast<SQLLEN>(slot.data.size());
          break;
        }
      }
      const SQLRETURN rc =
          SQLBindParameter(stmt_.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, c_type,
                           sql_type, size, digits, pointer, buffer_length, &slot.indicator);
      if (!SQL_SUCCEEDED(rc)) Fail("Cannot bind parameter " + std::to_string(i + 1), stmt_, sql_);
    }
  }

  void Run(const Parameters& values, int timeout_seconds) {
    Bind(values);
    SQLFreeStmt(stmt_.get(), SQL_CLOSE);
    SQLSetStmtAttr(stmt_.get(), SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(std::max(timeout_seconds, 0))),
                   0);
    connection_.GetWatchdog().Arm(stmt_.get(), timeout_seconds);
    const SQLRETURN rc = SQLExecute(stmt_.get());
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
      const bool cancelled = connection_.GetWatchdog().Disarm();
      FailRunning("The statement failed", cancelled, timeout_seconds);
    }
  }

  [[noreturn]] void FailRunning(const std::string& what, bool cancelled, int timeout_seconds) {
    Diagnostics diagnostics = ReadDiagnostics(SQL_HANDLE_STMT, stmt_.get());
    cancelled = cancelled || connection_.GetWatchdog().Disarm();
    // The server may stop the statement at the same moment as the watchdog
    // would: PostgreSQL's own statement timeout (set from the query timeout)
    // reports 57014 "canceling statement due to statement timeout".
    const bool server_timeout =
        timeout_seconds > 0 && diagnostics.first_state == "57014" && !diagnostics.entries.empty() &&
        diagnostics.entries.front().Message.find("statement timeout") != std::string::npos;
    if (cancelled || server_timeout || diagnostics.first_state == "HYT00" ||
        diagnostics.first_state == "HY008") {
      Fail("The statement ran longer than the command timeout of " +
               std::to_string(timeout_seconds) + " seconds and was interrupted (" +
               connection_.Description() + ")",
           diagnostics, sql_);
    }
    connection_.FailOnLink(what, diagnostics, sql_);
  }

  std::vector<FieldDef> DescribeColumns(SQLSMALLINT columns, std::vector<ColumnPlan>& plan) {
    std::vector<FieldDef> defs;
    std::set<std::string> names;
    for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(columns); ++i) {
      std::vector<SQLCHAR> name(256);
      SQLSMALLINT name_length = 0, sql_type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      SQLRETURN rc = SQLDescribeCol(stmt_.get(), i, name.data(), static_cast<SQLSMALLINT>(name.size()),
                                    &name_length, &sql_type, &size, &digits, &nullable);
      if (SQL_SUCCEEDED(rc) && static_cast<size_t>(name_length) >= name.size()) {
        name.resize(static_cast<size_t>(name_length) + 1);
        rc = SQLDescribeCol(stmt_.get(), i, name.data(), static_cast<SQLSMALLINT>(name.size()),
                            &name_length, &sql_type, &size, &digits, &nullable);
      }
      if (!SQL_SUCCEEDED(rc)) Fail("Cannot describe the result", stmt_, sql_);
      const std::string type_name = StringAttribute(i, SQL_DESC_TYPE_NAME);
      FieldDef def;
      if (connection_.IsSqlite()) {
        def = SqliteColumnDef(i, sql_type, size, digits, type_name);
      } else {
        def.DataType = TypeOfSqlType(sql_type, size, digits, type_name);
        const int clipped = static_cast<int>(std::min<SQLULEN>(size, 1u << 30));
        if (def.DataType == ftBCD || def.DataType == ftFMTBcd || def.DataType == ftCurrency) {
          def.Precision = clipped;
          def.NumericScale = digits;
        } else if (IsTextType(def.DataType) || def.DataType == ftBytes) {
          def.Size = def.DataType == ftMemo ? 0 : clipped;
        }
        if (def.DataType == ftGuid) def.Size = 38;
        if (sql_type == SQL_CHAR || sql_type == SQL_BINARY) def.Attributes |= faFixed;
      }
      if (nullable == SQL_NO_NULLS) def.Attributes |= faRequired;
      if (NumericAttribute(i, SQL_DESC_AUTO_UNIQUE_VALUE) == SQL_TRUE &&
          (def.DataType == ftInteger || def.DataType == ftLargeint)) {
        def.DataType = ftAutoInc;
        def.Attributes |= faReadonly;
      }
      if (NumericAttribute(i, SQL_DESC_UPDATABLE) == SQL_ATTR_READONLY) def.Attributes |= faReadonly;
      const auto name_size = std::min(static_cast<size_t>(std::max<SQLSMALLINT>(name_length, 0)),
                                      name.size() - 1);
      std::string column_name(reinterpret_cast<const char*>(name.data()), name_size);
      if (connection_.FoldsNamesToLowerCase() && column_name == LowerCaseAscii(column_name)) {
        // PostgreSQL folds unquoted names to lower case, so a name without
        // capitals was most likely written without quotes: it is reported
        // folded the standard's way, in capitals, as this ERP declares its
        // columns and as SQL Server and SQLite report them. Responses then
        // read the same on every engine. A name with capitals was quoted and
        // stays as it is; lookups by name ignore case either way.
        column_name = UpperCaseAscii(column_name);
      }
      def.Name = UniqueFieldName(column_name, names);
      plan.push_back({i, PlanFetch(sql_type)});
      defs.push_back(std::move(def));
    }
    return defs;
  }

  // The SQLite ODBC driver reports the declared type's name without its
  // arguments and the size apart; put together, they map as the SQLite driver
  // maps declared types. Expressions carry the type of their first value.
  FieldDef SqliteColumnDef(SQLUSMALLINT column, SQLSMALLINT sql_type, SQLULEN size,
                           SQLSMALLINT digits, const std::string& type_name) {
    if (StringAttribute(column, SQL_DESC_BASE_TABLE_NAME).empty()) {
      FieldDef def;
      if (sql_type == SQL_INTEGER || sql_type == SQL_BIGINT || sql_type == SQL_SMALLINT) {
        def.DataType = ftLargeint;
      } else if (sql_type == SQL_DOUBLE || sql_type == SQL_FLOAT || sql_type == SQL_REAL) {
        def.DataType = ftFloat;
      } else if (sql_type == SQL_BINARY || sql_type == SQL_VARBINARY ||
                 sql_type == SQL_LONGVARBINARY) {
        def.DataType = ftBlob;
      }
      def.Attributes |= faReadonly;
      return def;  // text and unknown: ftUnknown, typed by the first value
    }
    const std::string lower = LowerCaseAscii(type_name);
    std::string declared = type_name;
    const bool sized = lower.find("char") != std::string::npos || lower.find("binary") != std::string::npos;
    if (sized && size > 0 && size < 65536) declared += "(" + std::to_string(size) + ")";
    if ((lower == "decimal" || lower == "numeric") && size > 0 && size < 100) {
      declared += "(" + std::to_string(size) + "," + std::to_string(digits) + ")";
    }
    return FieldDefForDeclaredType(declared);
  }

  FetchKind PlanFetch(SQLSMALLINT sql_type) const {
    if (sql_type == SQL_BINARY || sql_type == SQL_VARBINARY || sql_type == SQL_LONGVARBINARY) {
      return FetchKind::kBinary;
    }
    if (connection_.TextFetch()) return FetchKind::kText;
    switch (sql_type) {
      case SQL_TINYINT:
      case SQL_SMALLINT:
      case SQL_INTEGER:
      case SQL_BIGINT:
        return FetchKind::kInteger;
      case SQL_BIT:
        return FetchKind::kBit;
      case SQL_REAL:
      case SQL_FLOAT:
      case SQL_DOUBLE:
        return FetchKind::kFloat;
      case SQL_TYPE_TIMESTAMP:
      case SQL_TIMESTAMP:
        return FetchKind::kTimestamp;
      case SQL_TYPE_DATE:
      case SQL_DATE:
        return FetchKind::kDate;
      case SQL_TYPE_TIME:
      case SQL_TIME:
        return FetchKind::kTime;
      default:
        return FetchKind::kText;
    }
  }

  std::string StringAttribute(SQLUSMALLINT column, SQLUSMALLINT field) {
    char text[256] = {0};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLColAttribute(stmt_.get(), column, field, text, sizeof text, &length, nullptr))) {
      return {};
    }
    return std::string(text);
  }

  SQLLEN NumericAttribute(SQLUSMALLINT column, SQLUSMALLINT field) {
    SQLLEN value = -1;
    if (!SQL_SUCCEEDED(SQLColAttribute(stmt_.get(), column, field, nullptr, 0, nullptr, &value))) {
      return -1;
    }
    return value;
  }

  // Reads a text or binary value whole, piece by piece: a value longer than
  // the buffer comes in several SQLGetData calls. False for null.
  bool GetLong(SQLUSMALLINT column, bool binary, std::string& value, int timeout_seconds) {
    value.clear();
    const SQLSMALLINT c_type = binary ? SQL_C_BINARY : SQL_C_CHAR;
    const SQLLEN terminator = binary ? 0 : 1;
    constexpr SQLLEN kPiece = 8192;
    while (true) {
      const size_t used = value.size();
      value.resize(used + static_cast<size_t>(kPiece));
      SQLLEN indicator = 0;
      const SQLRETURN rc =
          SQLGetData(stmt_.get(), column, c_type, value.data() + used, kPiece, &indicator);
      if (rc == SQL_NO_DATA) {
        value.resize(used);
        return true;
      }
      if (!SQL_SUCCEEDED(rc)) {
        value.resize(used);
        FailRunning("Cannot read a value of the result", false, timeout_seconds);
      }
      if (indicator == SQL_NULL_DATA) {
        value.clear();
        return false;
      }
      const bool truncated =
          rc == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator > kPiece - terminator);
      if (truncated) {
        value.resize(used + static_cast<size_t>(kPiece - terminator));
        continue;
      }
      // A driver that gives no length for a complete piece: text ends at its terminator.
      const size_t length = indicator >= 0 ? static_cast<size_t>(indicator)
                            : binary       ? 0
                                           : std::strlen(value.data() + used);
      value.resize(used + length);
      return true;
    }
  }

  void FetchRows(const std::vector<ColumnPlan>& plan, ResultBuilder& result, int timeout_seconds) {
    std::string text;
    while (true) {
      const SQLRETURN rc = SQLFetch(stmt_.get());
      if (rc == SQL_NO_DATA) break;
      if (!SQL_SUCCEEDED(rc)) FailRunning("Cannot read the result", false, timeout_seconds);
      result.BeginRow();
      for (size_t i = 0; i < plan.size(); ++i) {
        const SQLUSMALLINT column = plan[i].number;
        SQLLEN indicator = 0;
        SQLRETURN got = SQL_SUCCESS;
        switch (plan[i].fetch) {
          case FetchKind::kText:
          case FetchKind::kBinary: {
            const bool binary = plan[i].fetch == FetchKind::kBinary;
            if (GetLong(column, binary, text, timeout_seconds)) {
              binary ? result.PutBytes(i, text) : result.PutText(i, text);
            }
            continue;
          }
          case FetchKind::kInteger: {
            SQLBIGINT value = 0;
            got = SQLGetData(stmt_.get(), column, SQL_C_SBIGINT, &value, 0, &indicator);
            if (SQL_SUCCEEDED(got) && indicator != SQL_NULL_DATA) result.PutInteger(i, value);
            break;
          }
          case FetchKind::kBit: {
            unsigned char value = 0;
            got = SQLGetData(stmt_.get(), column, SQL_C_BIT, &value, 0, &indicator);
            if (SQL_SUCCEEDED(got) && indicator != SQL_NULL_DATA) result.PutInteger(i, value);
            break;
          }
          case FetchKind::kFloat: {
            double value = 0;
            got = SQLGetData(stmt_.get(), column, SQL_C_DOUBLE, &value, 0, &indicator);
            if (SQL_SUCCEEDED(got) && indicator != SQL_NULL_DATA) result.PutFloat(i, value);
            break;
          }
          case FetchKind::kTimestamp: {
            SQL_TIMESTAMP_STRUCT value{};
            got = SQLGetData(stmt_.get(), column, SQL_C_TYPE_TIMESTAMP, &value, 0, &indicator);
            if (SQL_SUCCEEDED(got) && indicator != SQL_NULL_DATA) {
              result.PutDateTime(i, DateTime{value.year, value.month, value.day, value.hour,
                                             value.minute, value.second,
                                             static_cast<int>(value.fraction / 1000000u)});
            }
            break;
          }
          case FetchKind::kDate: {
            SQL_DATE_STRUCT value{};
            got = SQLGetData(stmt_.get(), column, SQL_C_TYPE_DATE, &value, 0, &indicator);
            if (SQL_SUCCEEDED(got) && indicator != SQL_NULL_DATA) {
              result.PutDateTime(i, DateTime{value.year, value.month, value.day});
            }
            break;
          }
          case FetchKind::kTime: {
            SQL_TIME_STRUCT value{};
            got = SQLGetData(stmt_.get(), column, SQL_C_TYPE_TIME, &value, 0, &indicator);
            if (SQL_SUCCEEDED(got) && indicator != SQL_NULL_DATA) {
              DateTime time;
              time.Hour = value.hour;
              time.Minute = value.minute;
              time.Second = value.second;
              result.PutDateTime(i, time);
            }
            break;
          }
        }
        if (!SQL_SUCCEEDED(got)) FailRunning("Cannot read a value of the result", false, timeout_seconds);
      }
    }
  }

  OdbcConnection& connection_;
  std::string sql_;
  Handle stmt_;
  int parameter_count_ = 0;
  SQLSMALLINT column_count_ = 0;
  std::vector<Bound> bound_;
};

std::unique_ptr<DriverStatement> OdbcConnection::Prepare(std::string_view sql) {
  return std::make_unique<OdbcStatement>(*this, sql);
}

std::string OdbcConnection::MainSqliteFile() {
  Handle statement(SQL_HANDLE_STMT, dbc_->get());
  SQLCHAR query[] = "PRAGMA database_list";
  if (!SQL_SUCCEEDED(SQLExecDirect(statement.get(), query, SQL_NTS))) {
    Fail("Cannot find the main database file of the " + description_, statement);
  }
  std::string file;
  while (SQL_SUCCEEDED(SQLFetch(statement.get()))) {
    char name[256] = {0};
    SQLLEN indicator = 0;
    SQLGetData(statement.get(), 2, SQL_C_CHAR, name, sizeof name, &indicator);
    if (std::string_view(name) != "main") continue;
    std::vector<char> path(4096, 0);
    SQLGetData(statement.get(), 3, SQL_C_CHAR, path.data(), static_cast<SQLLEN>(path.size()), &indicator);
    file = path.data();
  }
  return file;
}

std::string OdbcConnection::DatabasePrefix(std::string_view database) {
  if (!sqlite_) return GetDialect().CompanyPrefix(database);
  CheckCompanyDatabaseName(database);
  const std::string key = LowerCaseAscii(database);
  if (attached_.count(key) == 0) {
    const std::string main_file = MainSqliteFile();
    if (main_file.empty()) {
      throw EDatabaseError("Cannot attach the company database '" + std::string(database) +
                           "': the " + description_ + " has no database file");
    }
    const std::string file = CompanyDatabaseFile(main_file, database);
    if (!FileExists(file)) {
      throw EDatabaseError("Cannot attach the company database '" + std::string(database) +
                           "': the file '" + file + "' does not exist");
    }
    ExecDirect(SqliteAttachStatement(file, database),
               "Cannot attach the company database file '" + file + "'");
    attached_.insert(key);
    attached_files_ += (attached_files_.empty() ? "'" : ", '") + file + "'";
  }
  return SqliteSchemaPrefix(database);
}

}  // namespace

std::unique_ptr<DriverConnection> ConnectOdbc(const std::string& connection_string,
                                              const std::string& description,
                                              int login_timeout_seconds, OdbcOptions options) {
  return std::make_unique<OdbcConnection>(connection_string, description, login_timeout_seconds,
                                          options);
}

}  // namespace gateway
