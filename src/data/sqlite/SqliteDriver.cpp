#include "data/sqlite/SqliteDriver.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "config/Errors.h"
#include "data/ValueText.h"
#include "data/sqlite/SqliteTypes.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

using Clock = std::chrono::steady_clock;

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// Skips blanks, ";" and comments; true when nothing else is left.
bool OnlyBlanksLeft(const char* p) {
  while (*p != '\0') {
    if (static_cast<unsigned char>(*p) <= 0x20 || *p == ';') {
      ++p;
    } else if (p[0] == '-' && p[1] == '-') {
      while (*p != '\0' && *p != '\n') ++p;
    } else if (p[0] == '/' && p[1] == '*') {
      const char* end = std::strstr(p + 2, "*/");
      if (end == nullptr) return true;  // an unclosed comment runs to the end
      p = end + 2;
    } else {
      return false;
    }
  }
  return true;
}

class SqliteConnection final : public DriverConnection {
 public:
  SqliteConnection(sqlite3* db, std::string file, int connect_timeout)
      : db_(db), file_(std::move(file)), connect_timeout_(connect_timeout) {
    sqlite3_extended_result_codes(db_, 1);
    // A wait of 0 seconds would fail at once; 0 means "no limit" as for the other timeouts.
    sqlite3_busy_timeout(db_, connect_timeout_ > 0 && connect_timeout_ < INT_MAX / 1000
                                  ? connect_timeout_ * 1000
                                  : INT_MAX);
    sqlite3_progress_handler(db_, 1000, &SqliteConnection::Progress, this);
  }
  ~SqliteConnection() override { sqlite3_close_v2(db_); }

  std::unique_ptr<DriverStatement> Prepare(std::string_view sql) override;

  void BeginTransaction() override { Exec("BEGIN", "Cannot begin a transaction"); }
  void BeginHandOver(std::string_view database_prefix, int timeout_seconds) override {
    // The wait is the busy timeout, set from the connection timeout.
    const HandOverStatements start = GetDialect().HandOver(database_prefix, timeout_seconds);
    Exec(start.begin.empty() ? "BEGIN" : start.begin, "Cannot begin the hand-over");
    if (start.lock.empty()) return;
    try {
      Exec(start.lock, "Cannot begin the hand-over");
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  }
  void Commit() override { Exec("COMMIT", "Cannot commit the transaction"); }
  void Rollback() override { Exec("ROLLBACK", "Cannot roll back the transaction"); }

  std::string DatabasePrefix(std::string_view database) override {
    CheckCompanyDatabaseName(database);
    const std::string key = LowerCaseAscii(database);
    if (attached_.count(key) == 0) {
      const std::string file = CompanyDatabaseFile(file_, database);
      if (!FileExists(file)) {
        throw EDatabaseError("Cannot attach the company database '" + std::string(database) +
                             "': the file '" + file + "' does not exist");
      }
      Exec(SqliteAttachStatement(file, database),
           "Cannot attach the company database file '" + file + "'");
      attached_.insert(key);
      attached_files_ += (attached_files_.empty() ? "'" : ", '") + file + "'";
      schema_files_.emplace_back(database, file);
    }
    return SqliteSchemaPrefix(database);
  }

  const Dialect& GetDialect() const override { return SqliteDialect(); }
  std::string Description() const override { return "SQLite database '" + file_ + "'"; }

  sqlite3* Handle() const { return db_; }

  // Starts the command timeout for one statement (0: no limit).
  void Arm(int timeout_seconds) {
    timed_out_ = false;
    timeout_seconds_ = timeout_seconds;
    deadline_ = timeout_seconds > 0 ? Clock::now() + std::chrono::seconds(timeout_seconds)
                                    : Clock::time_point::max();
  }
  void Disarm() { deadline_ = Clock::time_point::max(); }

  [[noreturn]] void Fail(const std::string& what, int rc, std::string_view sql) const {
    std::vector<DatabaseErrorEntry> entries{{sqlite3_extended_errcode(db_), sqlite3_errmsg(db_)}};
    const int primary = rc & 0xff;
    std::string message;
    if (primary == SQLITE_INTERRUPT && timed_out_) {
      message = "The statement ran longer than the command timeout of " +
                std::to_string(timeout_seconds_) + " seconds and was interrupted (" +
                Description() + ")";
    } else if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
      const std::string locked = LockedFiles();
      // A lock on any attached database counts too: when the lock is gone by
      // now, name them all.
      message = what + ": " +
                (!locked.empty()
                     ? "the SQLite database file " + locked
                     : "the " + Description() +
                           (attached_files_.empty() ? "" : " (or its attached " + attached_files_ + ")")) +
                " is locked by another connection and stayed locked for the connection "
                "timeout of " +
                std::to_string(connect_timeout_) + " seconds";
    } else {
      message = what + ": " + sqlite3_errmsg(db_);
    }
    if (!sql.empty()) message += " [statement: " + ShortenStatement(sql) + "]";
    throw EDatabaseError(message, std::move(entries));
  }

 private:
  static int Progress(void* context) {
    auto* self = static_cast<SqliteConnection*>(context);
    if (self->deadline_ != Clock::time_point::max() && Clock::now() >= self->deadline_) {
      self->timed_out_ = true;
      return 1;  // interrupts the running statement
    }
    return 0;
  }

  // The database files ('a.db', 'b.db') another connection holds a write
  // lock on, of the main one and the attached ones: each is tried with a
  // write transaction of a connection of its own that gives up at once. A
  // file this connection is writing itself is not tried.
  std::string LockedFiles() const {
    std::vector<std::pair<std::string, std::string>> files{{"main", file_}};
    files.insert(files.end(), schema_files_.begin(), schema_files_.end());
    std::string locked;
    for (const auto& [schema, file] : files) {
      if (sqlite3_txn_state(db_, schema.c_str()) == SQLITE_TXN_WRITE || !FileExists(file)) continue;
      sqlite3* probe = nullptr;
      if (sqlite3_open_v2(file.c_str(), &probe, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        const int rc = sqlite3_exec(probe, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if ((rc & 0xff) == SQLITE_BUSY) {
          locked += (locked.empty() ? "'" : " and '") + file + "'";
        } else if (rc == SQLITE_OK) {
          sqlite3_exec(probe, "ROLLBACK", nullptr, nullptr, nullptr);
        }
      }
      sqlite3_close_v2(probe);
    }
    return locked;
  }

  void Exec(const std::string& sql, const std::string& what) {
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
    sqlite3_free(error);
    if (rc != SQLITE_OK) Fail(what, rc, sql);
  }

  sqlite3* db_;
  std::string file_;
  int connect_timeout_;
  int timeout_seconds_ = 0;
  Clock::time_point deadline_ = Clock::time_point::max();
  bool timed_out_ = false;
  std::set<std::string> attached_;
  std::string attached_files_;  // for messages: 'a.db', 'b.db'
  std::vector<std::pair<std::string, std::string>> schema_files_;  // attached: schema, file
};

class SqliteStatement final : public DriverStatement {
 public:
  SqliteStatement(SqliteConnection& connection, std::string_view sql)
      : connection_(connection), sql_(sql) {
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v3(connection_.Handle(), sql_.c_str(),
                                      static_cast<int>(sql_.size()) + 1, 0, &stmt_, &tail);
    if (rc != SQLITE_OK) connection_.Fail("The SQLite database rejected the statement", rc, sql_);
    if (stmt_ == nullptr) {
      throw EDatabaseError("The statement is empty [statement: " + ShortenStatement(sql_) + "]");
    }
    if (tail != nullptr && !OnlyBlanksLeft(tail)) {
      sqlite3_finalize(stmt_);
      stmt_ = nullptr;
      throw EDatabaseError(
          "The text holds more than one statement; the SQLite driver runs one at a time "
          "[statement: " + ShortenStatement(sql_) + "]");
    }
  }
  ~SqliteStatement() override { sqlite3_finalize(stmt_); }

  int ParameterCount() const override { return sqlite3_bind_parameter_count(stmt_); }

  void DescribeParameters(Parameters& into) override {
    // SQLite knows how many parameters there are, not their types.
    into.Clear();
    for (int i = 1; i <= ParameterCount(); ++i) {
      const char* name = sqlite3_bind_parameter_name(stmt_, i);
      Parameter& item = into.Add(name != nullptr && name[0] != '?' ? name + 1 : "");
      item.SetDirection(pdInput);
    }
  }

  bool ReturnsRows() const override { return sqlite3_column_count(stmt_) > 0; }

  int64_t Execute(const Parameters& values, int timeout_seconds) override {
    Bind(values);
    sqlite3* db = connection_.Handle();
    const sqlite3_int64 before = sqlite3_total_changes64(db);
    connection_.Arm(timeout_seconds);
    int rc;
    while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
    }
    connection_.Disarm();
    sqlite3_reset(stmt_);
    if (rc != SQLITE_DONE) connection_.Fail("The statement failed", rc, sql_);
    return ReturnsRows() ? -1 : static_cast<int64_t>(sqlite3_total_changes64(db) - before);
  }

  void Open(const Parameters& values, int timeout_seconds, ResultBuilder& result,
            bool bcd_as_float) override {
    Bind(values);
    result.DefineColumns(DescribeColumns(), bcd_as_float);
    const int columns = sqlite3_column_count(stmt_);
    connection_.Arm(timeout_seconds);
    int rc;
    try {
      while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
        result.BeginRow();
        for (int i = 0; i < columns; ++i) {
          const size_t column = static_cast<size_t>(i);
          switch (sqlite3_column_type(stmt_, i)) {
            case SQLITE_INTEGER:
              result.PutInteger(column, sqlite3_column_int64(stmt_, i));
              break;
            case SQLITE_FLOAT:
              result.PutFloat(column, sqlite3_column_double(stmt_, i));
              break;
            case SQLITE_TEXT: {
              const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
              result.PutText(column, std::string_view(text, static_cast<size_t>(
                                                                sqlite3_column_bytes(stmt_, i))));
              break;
            }
            case SQLITE_BLOB: {
              const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, i));
              const auto size = static_cast<size_t>(sqlite3_column_bytes(stmt_, i));
              result.PutBytes(column, data == nullptr ? std::string_view() : std::string_view(data, size));
              break;
            }
            default:
              break;  // null: a new row holds null already
          }
        }
      }
    } catch (...) {
      connection_.Disarm();
      sqlite3_reset(stmt_);
      throw;
    }
    connection_.Disarm();
    sqlite3_reset(stmt_);
    if (rc != SQLITE_DONE) connection_.Fail("Cannot read the result", rc, sql_);
  }

 private:
  void Bind(const Parameters& values) {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    const int count = ParameterCount();
    if (values.Count() != count) {
      throw EDatabaseError("The statement has " + std::to_string(count) +
                           " parameter markers but " + std::to_string(values.Count()) +
                           " parameters were given [statement: " + ShortenStatement(sql_) + "]");
    }
    for (int i = 0; i < count; ++i) {
      const Parameter& parameter = values[i];
      const DataValue& value = parameter.Value();
      int rc = SQLITE_OK;
      switch (value.GetKind()) {
        case DataValue::kNull:
          rc = sqlite3_bind_null(stmt_, i + 1);
          break;
        case DataValue::kBoolean:
        case DataValue::kInteger:
          rc = sqlite3_bind_int64(stmt_, i + 1, value.AsInteger());
          break;
        case DataValue::kFloat:
          rc = sqlite3_bind_double(stmt_, i + 1, value.AsFloat());
          break;
        case DataValue::kDateTime: {
          // Stored as text in the form the driver reads back.
          const FieldType kind = parameter.DataType() == ftDate || parameter.DataType() == ftTime
                                     ? parameter.DataType()
                                     : ftDateTime;
          const std::string text = FormatIsoDateTime(value.AsDateTime(), kind);
          rc = sqlite3_bind_text64(stmt_, i + 1, text.data(), text.size(), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
          break;
        }
        case DataValue::kString: {
          const std::string text = value.AsString();
          rc = sqlite3_bind_text64(stmt_, i + 1, text.data(), text.size(), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
          break;
        }
        case DataValue::kBytes: {
          const std::string bytes = value.AsString();
          rc = sqlite3_bind_blob64(stmt_, i + 1, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
          break;
        }
      }
      if (rc != SQLITE_OK) {
        connection_.Fail("Cannot bind parameter " + std::to_string(i + 1), rc, sql_);
      }
    }
  }

  std::vector<FieldDef> DescribeColumns() const {
    const int columns = sqlite3_column_count(stmt_);
    std::vector<FieldDef> defs;
    defs.reserve(static_cast<size_t>(columns));
    std::set<std::string> names;
    for (int i = 0; i < columns; ++i) {
      const char* declared = sqlite3_column_decltype(stmt_, i);
      FieldDef def = FieldDefForDeclaredType(declared != nullptr ? declared : "");
      const char* table = sqlite3_column_table_name(stmt_, i);
      if (table == nullptr) {
        def.Attributes |= faReadonly;  // an expression, not a column of a table
      } else {
        const char* not_null_column = sqlite3_column_origin_name(stmt_, i);
        int not_null = 0, primary_key = 0, autoinc = 0;
        if (sqlite3_table_column_metadata(connection_.Handle(), sqlite3_column_database_name(stmt_, i),
                                          table, not_null_column, nullptr, nullptr, &not_null,
                                          &primary_key, &autoinc) == SQLITE_OK) {
          if (not_null) def.Attributes |= faRequired;
          if (autoinc && (def.DataType == ftInteger || def.DataType == ftLargeint)) {
            def.DataType = ftAutoInc;
            def.Attributes |= faReadonly;
          }
        }
      }
      const char* name = sqlite3_column_name(stmt_, i);
      def.Name = UniqueFieldName(name != nullptr ? name : "", names);
      defs.push_back(std::move(def));
    }
    return defs;
  }

  SqliteConnection& connection_;
  std::string sql_;
  sqlite3_stmt* stmt_ = nullptr;
};

std::unique_ptr<DriverStatement> SqliteConnection::Prepare(std::string_view sql) {
  return std::make_unique<SqliteStatement>(*this, sql);
}

}  // namespace

std::unique_ptr<DriverConnection> ConnectSqlite(const std::string& file,
                                                int connect_timeout_seconds) {
  if (!FileExists(file)) {
    throw EDatabaseError("Cannot open the SQLite database '" + file + "': the file does not exist");
  }
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                 nullptr);
  if (rc != SQLITE_OK) {
    const std::string error = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close_v2(db);
    throw EDatabaseError("Cannot open the SQLite database '" + file + "': " + error,
                         {{rc, error}});
  }
  return std::make_unique<SqliteConnection>(db, file, connect_timeout_seconds);
}

}  // namespace gateway
