#include "SqliteFile.h"

#include <filesystem>
#include <stdexcept>

namespace gateway::demo {

SqliteFile::SqliteFile(const std::string& path) : path_(path) {
  if (std::filesystem::exists(path)) throw std::runtime_error(path + " exists already");
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw std::runtime_error("cannot create " + path + ": " + message);
  }
  Exec("PRAGMA journal_mode=OFF");
  Exec("PRAGMA synchronous=OFF");
  Exec("PRAGMA cache_size=-65536");  // 64 MiB: the pages of one load stay in memory
}

SqliteFile::~SqliteFile() { sqlite3_close(db_); }

void SqliteFile::Exec(const std::string& sql) {
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    Fail("cannot run " + sql);
  }
}

void SqliteFile::Fail(const std::string& what) const {
  throw std::runtime_error(path_ + ": " + what + ": " + sqlite3_errmsg(db_));
}

namespace {

// A prepared insert whose values are bound one after the other in column order.
class SqliteRows final : public RowSink {
 public:
  SqliteRows(SqliteFile& file, const Table& table) : file_(file), table_(table) {
    if (sqlite3_prepare_v2(file_.Handle(), table_.InsertStatement().c_str(), -1, &stmt_,
                           nullptr) != SQLITE_OK) {
      file_.Fail(std::string("cannot prepare the insert into ") + table_.name);
    }
  }
  ~SqliteRows() override { sqlite3_finalize(stmt_); }

  void Text(std::string_view value) override {
    sqlite3_bind_text(stmt_, ++bound_, value.data(), static_cast<int>(value.size()),
                      SQLITE_TRANSIENT);
  }
  void Integer(int64_t value) override { sqlite3_bind_int64(stmt_, ++bound_, value); }
  void Fixed(int64_t units, int digits) override {
    int64_t scale = 1;
    for (int i = 0; i < digits; ++i) scale *= 10;
    // Whole numbers stay integers, as a numeric column would store them anyway.
    if (units % scale == 0) return Integer(units / scale);
    sqlite3_bind_double(stmt_, ++bound_, static_cast<double>(units) / static_cast<double>(scale));
  }
  void Null() override { sqlite3_bind_null(stmt_, ++bound_); }
  void Row() override {
    bound_ = 0;
    const int rc = sqlite3_step(stmt_);
    sqlite3_reset(stmt_);
    if (rc != SQLITE_DONE) file_.Fail(std::string("cannot insert into ") + table_.name);
  }

 private:
  SqliteFile& file_;
  const Table& table_;
  sqlite3_stmt* stmt_ = nullptr;
  int bound_ = 0;
};

}  // namespace

std::unique_ptr<RowSink> SqliteFile::Rows(const Table& table) {
  return std::make_unique<SqliteRows>(*this, table);
}

}  // namespace gateway::demo
