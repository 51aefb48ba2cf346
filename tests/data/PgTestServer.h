// The PostgreSQL server of the tests. Under ctest a fixture starts one
// throw-away cluster for the whole run (scripts/pg-cluster.sh) and names its
// server.env in GATEWAY_PG_SERVER; a test program run on its own starts a
// cluster of its own on first use and drops it when the program ends. The
// server's cases fail when no server can be had; they are skipped only when
// GATEWAY_SKIP_POSTGRES=1 says so. Each test works in a database of its own
// on the shared server; a test that stops its server runs a cluster of its own.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "data/DataTestSupport.h"
#include "data/Driver.h"
#include "data/odbc/OdbcDriver.h"

namespace gateway::testing_data {

// Where a server listens and who may log in.
struct PgAddress {
  std::string host;
  std::string port;
  std::string user;
  std::string password;
  std::string socket_dir;
};

// The ODBC connection string of `database` on the server (without a Provider
// item). Booleans are asked for as SQL_BIT, as SQL Server's bit reads.
inline std::string PgOdbcString(const PgAddress& server, const std::string& database) {
  return "Driver=" + OdbcPostgresDriver() + ";Server=" + server.host + ";Port=" + server.port +
         ";Database=" + database + ";Uid=" + server.user + ";Pwd=" + server.password +
         ";BoolsAsChar=0";
}

// Reads a server.env written by scripts/pg-cluster.sh; raises when it cannot.
inline PgAddress ReadPgServerEnv(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("no PostgreSQL server: cannot read " + path);
  std::map<std::string, std::string> values;
  std::string line;
  while (std::getline(in, line)) {
    const size_t equal = line.find('=');
    if (equal != std::string::npos) values[line.substr(0, equal)] = line.substr(equal + 1);
  }
  PgAddress address{values["PGHOST"], values["PGPORT"], values["PGUSER"], values["PGPASSWORD"],
                    values["PGSOCKETDIR"]};
  if (address.host.empty() || address.port.empty()) {
    throw std::runtime_error("no PostgreSQL server: " + path + " names no host and port");
  }
  return address;
}

// A cluster of its own in a fresh folder, started and stopped through
// scripts/pg-cluster.sh and dropped with the object.
class PgCluster {
 public:
  PgCluster() {
    std::string pattern = "/tmp/gateway-pg-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    ::chmod(pattern.c_str(), 0755);  // the server's user must reach the cluster's folder
    base_ = pattern;
  }
  ~PgCluster() {
    Script("drop");
    std::error_code ignored;
    std::filesystem::remove_all(base_, ignored);
  }
  PgCluster(const PgCluster&) = delete;
  PgCluster& operator=(const PgCluster&) = delete;

  // Starts the server (made on the first start), on a new port each time.
  PgAddress Start() {
    if (Script("start") != 0) throw std::runtime_error("the PostgreSQL test cluster did not start");
    return ReadPgServerEnv(Folder() + "/server.env");
  }
  void Stop() {
    if (Script("stop") != 0) throw std::runtime_error("the PostgreSQL test cluster did not stop");
  }

 private:
  std::string Folder() const { return base_ + "/cluster"; }
  int Script(const char* command) const {
    const std::string line =
        std::string("'") + GATEWAY_PG_CLUSTER + "' " + command + " '" + Folder() + "' >&2";
    return std::system(line.c_str());
  }

  std::string base_;
};

// True when GATEWAY_SKIP_POSTGRES=1 opts out of the server's cases.
inline bool PostgresSkipped() {
  const char* skip = ::getenv("GATEWAY_SKIP_POSTGRES");
  return skip != nullptr && std::string(skip) == "1";
}

// The shared server of this test run; raises when there is none.
inline const PgAddress& SharedPgServer() {
  static std::unique_ptr<PgCluster> own;
  static std::string error;
  static const std::unique_ptr<PgAddress> address = []() -> std::unique_ptr<PgAddress> {
    try {
      if (const char* env = ::getenv("GATEWAY_PG_SERVER"); env != nullptr && *env != '\0') {
        return std::make_unique<PgAddress>(ReadPgServerEnv(env));
      }
      own = std::make_unique<PgCluster>();
      return std::make_unique<PgAddress>(own->Start());
    } catch (const std::exception& failure) {
      error = failure.what();
      return nullptr;
    }
  }();
  if (!address) throw std::runtime_error(error);
  return *address;
}

// Runs SQL (several statements are allowed) in `database` on the server.
inline void RunPostgres(const PgAddress& server, const std::string& database,
                        const std::string& script) {
  auto connection = ConnectOdbc(PgOdbcString(server, database), "test server", 10);
  Parameters none;
  connection->Prepare(script)->Execute(none, 60);
}

// A database of its own on the shared server (or on `server`) for one test,
// dropped afterwards.
class PgScratchDatabase {
 public:
  explicit PgScratchDatabase(const PgAddress* server = nullptr)
      : server_(server != nullptr ? *server : SharedPgServer()) {
    static std::atomic<int> counter{0};
    name_ = "gw_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
    RunPostgres(server_, "postgres", "create database " + name_);
  }
  ~PgScratchDatabase() {
    try {
      RunPostgres(server_, "postgres", "drop database if exists " + name_ + " with (force)");
    } catch (...) {
    }
  }
  PgScratchDatabase(const PgScratchDatabase&) = delete;
  PgScratchDatabase& operator=(const PgScratchDatabase&) = delete;

  const std::string& Name() const { return name_; }
  const PgAddress& Server() const { return server_; }
  std::string OdbcString() const { return PgOdbcString(server_, name_); }
  void Run(const std::string& script) const { RunPostgres(server_, name_, script); }

 private:
  PgAddress server_;
  std::string name_;
};

}  // namespace gateway::testing_data
