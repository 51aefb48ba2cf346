#include "ServerSchema.h"

#include <mutex>
#include <stdexcept>

#include "data/ConnectionItems.h"
#include "data/Parameters.h"
#include "data/odbc/OdbcDriver.h"
#include "text/TextCase.h"

namespace gateway::demo {

namespace {

constexpr size_t kRowsPerStatement = 500;

class ServerRows final : public RowSink {
 public:
  ServerRows(ServerSchema& schema, const Table& table) : schema_(schema), table_(table) {}
  ~ServerRows() override {
    try {
      Flush();
    } catch (const std::exception& error) {
      schema_.SetFailure(error.what());
    }
  }

  void Text(std::string_view value) override { Add("'" + ReplaceAll(value, "'", "''") + "'"); }
  void Integer(int64_t value) override { Add(std::to_string(value)); }
  void Fixed(int64_t units, int digits) override {
    std::string text = std::to_string(units < 0 ? -units : units);
    if (digits > 0) {
      if (text.size() <= static_cast<size_t>(digits)) {
        text.insert(0, static_cast<size_t>(digits) + 1 - text.size(), '0');
      }
      text.insert(text.size() - static_cast<size_t>(digits), ".");
    }
    Add(units < 0 ? "-" + text : text);
  }
  void Null() override { Add("NULL"); }
  void Row() override {
    values_ += ')';
    row_open_ = false;
    if (++rows_ == kRowsPerStatement) Flush();
  }

 private:
  void Add(const std::string& literal) {
    if (!row_open_) {
      values_ += values_.empty() ? "(" : ",(";
      row_open_ = true;
    } else {
      values_ += ',';
    }
    values_ += literal;
  }

  void Flush() {
    if (rows_ == 0) return;
    const std::string sql = "INSERT INTO " + std::string(table_.name) + " VALUES " + values_;
    values_.clear();
    rows_ = 0;
    schema_.Exec(sql);
  }

  ServerSchema& schema_;
  const Table& table_;
  std::string values_;
  size_t rows_ = 0;
  bool row_open_ = false;
};

// The sites are written on threads of their own, but the PostgreSQL ODBC
// driver reads freed memory when several threads connect at once (seen
// under AddressSanitizer): connections are made one at a time.
std::unique_ptr<DriverConnection> ConnectAlone(const std::string& odbc) {
  static std::mutex connecting;
  const std::lock_guard<std::mutex> lock(connecting);
  return ConnectOdbc(odbc, "ODBC data source (" + ConnectionTarget(odbc) + ")", 15);
}

}  // namespace

ServerSchema::ServerSchema(const std::string& odbc, const std::string& schema)
    : connection_(ConnectAlone(odbc)) {
  if (!schema.empty()) {
    Exec("CREATE SCHEMA IF NOT EXISTS " + schema);
    Exec("SET search_path TO " + schema);
  }
  std::string tables = CompanyTable().name;
  for (const Table& table : ErpTables()) tables += std::string(", ") + table.name;
  Exec("DROP TABLE IF EXISTS " + tables);
}

ServerSchema::~ServerSchema() = default;

void ServerSchema::Exec(const std::string& sql) {
  Parameters none;
  connection_->Prepare(sql)->Execute(none, 0);
}

std::unique_ptr<RowSink> ServerSchema::Rows(const Table& table) {
  return std::make_unique<ServerRows>(*this, table);
}

std::string ServerSchema::CreateStatement(const Table& table) const {
  return ReplaceAll(table.CreateStatement(), " datetime,", " timestamp(0),");
}

void ServerSchema::Begin() { connection_->BeginTransaction(); }

void ServerSchema::Commit() {
  if (!failure_.empty()) throw std::runtime_error(failure_);
  connection_->Commit();
}

}  // namespace gateway::demo
