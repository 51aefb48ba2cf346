// Shared pieces of the data-layer tests: a fresh temporary folder, database
// files made with SQLite's own API, the SQLite ODBC driver registered in a
// private odbcinst.ini, and the connection string of a test database for each
// driver.
#pragma once

#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace gateway::testing_data {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gateway-data-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

// Makes (or opens) a database file and runs the script in it.
inline void RunSqlite(const std::string& file, const std::string& script) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot make " + file);
  }
  char* error = nullptr;
  const int rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error);
  const std::string message = error != nullptr ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error("script failed: " + message);
}

// Registers the SQLite ODBC driver under the name it returns, in an
// odbcinst.ini of a folder of its own that unixODBC is pointed at; done once
// per process, before the first ODBC call.
inline const std::string& OdbcTestDriver() {
  static const std::string name = [] {
    static TempFolder folder;
    const std::string ini = folder.File("odbcinst.ini");
    FILE* out = std::fopen(ini.c_str(), "w");
    if (out == nullptr) throw std::runtime_error("cannot write odbcinst.ini");
    std::fputs(
        "[GatewayTestSQLite]\n"
        "Description=SQLite for the gateway tests\n"
        "Driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n",
        out);
    std::fclose(out);
    ::setenv("ODBCSYSINI", folder.Path().c_str(), 1);
    ::setenv("ODBCINSTINI", "odbcinst.ini", 1);
    return std::string("GatewayTestSQLite");
  }();
  return name;
}

enum class DriverKind { kSqlite, kOdbc };

inline std::string DriverName(DriverKind kind) { return kind == DriverKind::kSqlite ? "SQLite" : "ODBC"; }

// The connection string of a test database through the given driver.
inline std::string ConnectionStringFor(DriverKind kind, const std::string& file) {
  if (kind == DriverKind::kSqlite) return "Provider=SQLite;Data Source=" + file;
  return "Provider=MSDASQL;Driver=" + OdbcTestDriver() + ";Database=" + file + ";NoCreat=1";
}

}  // namespace gateway::testing_data
