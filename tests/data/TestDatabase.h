// One test database on any backend the data layer serves: an SQLite file read
// through the SQLite driver or through ODBC, or a database of its own on the
// PostgreSQL test server, through ODBC. A test written once against it runs on
// every backend; scripts are written with SQLite's (and SQL Server's) type
// names, which become PostgreSQL's on the server.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "data/DataTestSupport.h"
#include "data/PgTestServer.h"
#include "data/sqlite/SqliteTypes.h"
#include "text/TextCase.h"

namespace gateway::testing_data {

// The script with the type names PostgreSQL lacks replaced by its own:
// datetime -> timestamp(3), blob and image -> bytea, float -> double
// precision, bit -> boolean. Text in quotes is left alone.
inline std::string PostgresTypes(const std::string& script) {
  struct Rename {
    const char* from;
    const char* to;
  };
  constexpr Rename kRenames[] = {{"datetime", "timestamp(3)"}, {"blob", "bytea"},
                                 {"image", "bytea"},           {"float", "double precision"},
                                 {"bit", "boolean"}};
  auto is_word = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  };
  std::string out;
  for (size_t i = 0; i < script.size();) {
    const char c = script[i];
    if (c == '\'' || c == '"') {
      const size_t end = script.find(c, i + 1);
      const size_t stop = end == std::string::npos ? script.size() : end + 1;
      out.append(script, i, stop - i);
      i = stop;
    } else if (is_word(c)) {
      size_t end = i;
      while (end < script.size() && is_word(script[end])) ++end;
      const std::string word = script.substr(i, end - i);
      std::string replaced = word;
      for (const Rename& rename : kRenames) {
        if (SameTextAscii(word, rename.from)) replaced = rename.to;
      }
      out += replaced;
      i = end;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

class TestDatabase {
 public:
  // `file`: the SQLite database file (made by the first Run); not used on the
  // server. `server`: another server than the shared one.
  TestDatabase(DriverKind kind, std::string file, const PgAddress* server = nullptr)
      : kind_(kind), file_(std::move(file)) {
    if (kind_ == DriverKind::kPostgres) scratch_ = std::make_unique<PgScratchDatabase>(server);
  }

  DriverKind Kind() const { return kind_; }
  bool OnServer() const { return kind_ == DriverKind::kPostgres; }
  const std::string& File() const { return file_; }
  const PgScratchDatabase& Scratch() const { return *scratch_; }

  // The ADO-style connection string (with its Provider item).
  std::string ConnectionString() const {
    if (!OnServer()) return ConnectionStringFor(kind_, file_);
    return "Provider=MSDASQL;" + scratch_->OdbcString();
  }

  void Run(const std::string& script) const {
    if (OnServer()) {
      scratch_->Run(PostgresTypes(script));
    } else {
      RunSqlite(file_, script);
    }
  }

  // Runs a script in the company database `company`: the SQLite file
  // "<company>.db" beside the main one, or the schema of that name on the
  // server (made by the first call).
  void RunInCompany(const std::string& company, const std::string& script) const {
    if (OnServer()) {
      scratch_->Run("create schema if not exists " + company + "; set search_path to " + company +
                    "; " + PostgresTypes(script));
    } else {
      RunSqlite(CompanyDatabaseFile(file_, company), script);
    }
  }

 private:
  DriverKind kind_;
  std::string file_;
  std::unique_ptr<PgScratchDatabase> scratch_;
};

// Runs `action`, which must raise E; returns the exception.
template <class E, class Action>
E Failure(Action action) {
  try {
    action();
  } catch (const E& error) {
    return error;
  }
  ADD_FAILURE() << "nothing raised";
  return E("none");
}

// For INSTANTIATE_TEST_SUITE_P over DriverKind values.
inline std::string DriverLabel(const ::testing::TestParamInfo<DriverKind>& param) {
  return DriverName(param.param);
}

}  // namespace gateway::testing_data
