// Shared pieces of the data-layer tests: a fresh temporary folder, database
// files made with SQLite's own API, the SQLite ODBC, FreeTDS and PostgreSQL
// drivers registered in a private odbcinst.ini, a loopback port where nothing listens,
// and the connection string of a test database for each driver.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

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

// Registers the SQLite, FreeTDS and PostgreSQL ODBC drivers in an
// odbcinst.ini of a folder of its own that unixODBC is pointed at; done once
// per process, before the first ODBC call. Returns the folder.
inline const std::string& OdbcTestDrivers() {
  static const std::string path = [] {
    static TempFolder folder;
    const std::string ini = folder.File("odbcinst.ini");
    FILE* out = std::fopen(ini.c_str(), "w");
    if (out == nullptr) throw std::runtime_error("cannot write odbcinst.ini");
    std::fputs(
        "[GatewayTestSQLite]\n"
        "Description=SQLite for the gateway tests\n"
        "Driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n"
        "[FreeTDS]\n"
        "Description=FreeTDS, the driver SQL Server providers are mapped to\n"
        "Driver=/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so\n"
        "[GatewayTestPostgreSQL]\n"
        "Description=PostgreSQL for the gateway tests\n"
        "Driver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbca.so\n"
        // Kept loaded, so that a sanitizer build's leak report can name it
        // (see support/LeakSuppressions.cpp).
        "DontDLClose=1\n",
        out);
    std::fclose(out);
    ::setenv("ODBCSYSINI", folder.Path().c_str(), 1);
    ::setenv("ODBCINSTINI", "odbcinst.ini", 1);
    return folder.Path();
  }();
  return path;
}

// The name of the SQLite ODBC driver in the tests' odbcinst.ini.
inline const std::string& OdbcTestDriver() {
  OdbcTestDrivers();
  static const std::string name = "GatewayTestSQLite";
  return name;
}

// The name of the PostgreSQL ODBC driver in the tests' odbcinst.ini.
inline const std::string& OdbcPostgresDriver() {
  OdbcTestDrivers();
  static const std::string name = "GatewayTestPostgreSQL";
  return name;
}

// A loopback TCP port where nothing listens: bound, so that nobody else takes
// it, but never listening, so that a connection is refused at once.
class ClosedPort {
 public:
  ClosedPort() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      if (fd_ >= 0) ::close(fd_);
      throw std::runtime_error("cannot bind a loopback port");
    }
    port_ = ntohs(address.sin_port);
  }
  ~ClosedPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  ClosedPort(const ClosedPort&) = delete;
  ClosedPort& operator=(const ClosedPort&) = delete;
  std::string Text() const { return std::to_string(port_); }

 private:
  int fd_;
  int port_ = 0;
};

// The backends a test can run on: an SQLite file through the SQLite driver or
// through ODBC, or the PostgreSQL test server through ODBC (see TestDatabase.h).
enum class DriverKind { kSqlite, kOdbc, kPostgres };

inline std::string DriverName(DriverKind kind) {
  switch (kind) {
    case DriverKind::kSqlite:
      return "SQLite";
    case DriverKind::kOdbc:
      return "ODBC";
    default:
      return "PostgreSQL";
  }
}

// The connection string of an SQLite test database file through the given driver.
inline std::string ConnectionStringFor(DriverKind kind, const std::string& file) {
  if (kind == DriverKind::kSqlite) return "Provider=SQLite;Data Source=" + file;
  if (kind != DriverKind::kOdbc) throw std::logic_error("an SQLite file is read through SQLite or ODBC");
  return "Provider=MSDASQL;Driver=" + OdbcTestDriver() + ";Database=" + file + ";NoCreat=1";
}

}  // namespace gateway::testing_data
