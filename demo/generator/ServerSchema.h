// A schema of a database server reached through ODBC (PostgreSQL) as the
// target of one company's ERP tables: the tables are made anew in the schema
// (the connection's default schema when none is named), and rows go in as
// INSERTs of several hundred rows of literal values each, inside one
// transaction. Failures raise std::runtime_error.
#pragma once

#include <memory>
#include <string>

#include "Target.h"
#include "data/Driver.h"

namespace gateway::demo {

class ServerSchema final : public Target {
 public:
  // `odbc`: an ODBC connection string (no password reaches a message).
  ServerSchema(const std::string& odbc, const std::string& schema);
  ~ServerSchema() override;

  void Exec(const std::string& sql) override;
  std::unique_ptr<RowSink> Rows(const Table& table) override;
  // SQL Server's datetime is timestamp here.
  std::string CreateStatement(const Table& table) const override;
  void Begin() override;
  // Raises the first failure of a batch written when its rows were done with.
  void Commit() override;

  void SetFailure(const std::string& failure) {
    if (failure_.empty()) failure_ = failure;
  }

 private:
  std::unique_ptr<DriverConnection> connection_;
  std::string failure_;
};

}  // namespace gateway::demo
