// Opens a result of 100,000 rows by 80 columns of mixed types through each
// driver and reports rows per second, the bytes the result holds, the size of
// its values as text, and the process's peak resident memory (VmHWM).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "data/Connection.h"
#include "data/Query.h"

namespace {

constexpr int kRows = 100000;

// Column groups: 20 varchar, 10 char, 15 integer, 10 float, 10 datetime,
// 5 decimal, 5 bit, 5 text = 80 columns.
struct Group {
  const char* prefix;
  const char* type;
  int count;
};
constexpr Group kGroups[] = {{"S", "varchar(24)", 20}, {"C", "char(8)", 10},
                             {"I", "integer", 15},     {"F", "float", 10},
                             {"D", "datetime", 10},    {"M", "decimal(12,2)", 5},
                             {"B", "bit", 5},          {"T", "text", 5}};

void Check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
  }
}

// The benchmark database and the ODBC registration, made once per run.
class Fixture {
 public:
  Fixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gateway-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    file_ = folder_ + "/bench.db";
    std::ofstream(folder_ + "/odbcinst.ini")
        << "[GatewayBenchSQLite]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n";
    ::setenv("ODBCSYSINI", folder_.c_str(), 1);
    ::setenv("ODBCINSTINI", "odbcinst.ini", 1);
    Build();
  }
  ~Fixture() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::string& File() const { return file_; }

 private:
  void Build() {
    sqlite3* db = nullptr;
    Check(sqlite3_open(file_.c_str(), &db), db, "open");
    std::string create = "create table T(";
    std::string insert = "insert into T values(";
    bool first = true;
    for (const Group& group : kGroups) {
      for (int i = 0; i < group.count; ++i) {
        create += std::string(first ? "" : ", ") + group.prefix + std::to_string(i) + " " + group.type;
        insert += first ? "?" : ", ?";
        first = false;
      }
    }
    create += ")";
    insert += ")";
    Check(sqlite3_exec(db, create.c_str(), nullptr, nullptr, nullptr), db, "create");
    Check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt* stmt = nullptr;
    Check(sqlite3_prepare_v2(db, insert.c_str(), -1, &stmt, nullptr), db, "prepare");
    char text[64];
    for (int row = 0; row < kRows; ++row) {
      int index = 1;
      for (const Group& group : kGroups) {
        for (int i = 0; i < group.count; ++i, ++index) {
          const int v = row * 31 + i * 7;
          switch (group.prefix[0]) {
            case 'S':
              std::snprintf(text, sizeof text, "supplier %d-%d", v % 100000, i);
              sqlite3_bind_text(stmt, index, text, -1, SQLITE_TRANSIENT);
              break;
            case 'C':
              std::snprintf(text, sizeof text, "C%05d", v % 99999);
              sqlite3_bind_text(stmt, index, text, -1, SQLITE_TRANSIENT);
              break;
            case 'I':
              sqlite3_bind_int(stmt, index, v % 1000000);
              break;
            case 'F':
              sqlite3_bind_double(stmt, index, v * 0.125);
              break;
            case 'D':
              std::snprintf(text, sizeof text, "2024-%02d-%02d %02d:%02d:%02d", 1 + v % 12,
                            1 + v % 28, v % 24, v % 60, (v / 7) % 60);
              sqlite3_bind_text(stmt, index, text, -1, SQLITE_TRANSIENT);
              break;
            case 'M':
              std::snprintf(text, sizeof text, "%d.%02d", v % 100000, v % 100);
              sqlite3_bind_text(stmt, index, text, -1, SQLITE_TRANSIENT);
              break;
            case 'B':
              sqlite3_bind_int(stmt, index, v % 2);
              break;
            default:
              if (v % 5 == 0) {
                sqlite3_bind_null(stmt, index);
              } else {
                std::snprintf(text, sizeof text, "note %d about row %d", v, row);
                sqlite3_bind_text(stmt, index, text, -1, SQLITE_TRANSIENT);
              }
          }
        }
      }
      Check(sqlite3_step(stmt), db, "insert");
      sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    Check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
  }

  std::string folder_;
  std::string file_;
};

const Fixture& GetFixture() {
  static const Fixture fixture;
  return fixture;
}

double PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) * 1024.0;
  }
  return 0;
}

void OpenFullResult(benchmark::State& state, const std::string& connection_string) {
  gateway::Connection connection;
  connection.SetConnectionString(connection_string);
  gateway::Query query;
  query.SetConnection(&connection);
  query.SetSQL("select * from T");
  query.SetCommandTimeout(0);
  size_t held = 0;
  for (auto _ : state) {
    query.Close();
    query.Open();
    held = query.HeldBytes();
    benchmark::DoNotOptimize(held);
  }
  // The size of every value as text, counted once outside the timing.
  size_t text = 0;
  for (query.First(); !query.Eof(); query.Next()) {
    for (int i = 0; i < query.FieldCount(); ++i) text += query.Fields(i).AsString().size();
  }
  state.SetItemsProcessed(state.iterations() * query.RecordCount());
  state.counters["rows"] = query.RecordCount();
  state.counters["columns"] = query.FieldCount();
  state.counters["held_MB"] = static_cast<double>(held) / 1e6;
  state.counters["text_MB"] = static_cast<double>(text) / 1e6;
  state.counters["held_per_text"] = static_cast<double>(held) / static_cast<double>(text);
  state.counters["VmHWM_MB"] = PeakResidentBytes() / 1e6;
}

void BM_OpenSqlite(benchmark::State& state) {
  OpenFullResult(state, "Provider=SQLite;Data Source=" + GetFixture().File());
}

void BM_OpenOdbc(benchmark::State& state) {
  // StepAPI=1: the SQLite ODBC driver steps through the result instead of
  // first copying all of it into memory (its default).
  OpenFullResult(state, "Driver=GatewayBenchSQLite;StepAPI=1;Database=" + GetFixture().File());
}

BENCHMARK(BM_OpenSqlite)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenOdbc)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
