// Checking what a run handed over, as the end-to-end tests do afterwards: the
// orders a response holds, and what a database file holds, read through
// SQLite itself with no part of the library in between. A hot journal left
// by a killed host is rolled back on the way, as the next connection of any
// program would.
#pragma once

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

namespace gateway::testing {

// The first column of every row of `sql` on the database file.
inline std::vector<std::string> SqliteColumn(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  std::vector<std::string> values;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "cannot open " << file;
  } else {
    sqlite3_busy_timeout(db, 10000);
    char* error = nullptr;
    sqlite3_exec(
        db, sql.c_str(),
        [](void* into, int, char** row, char**) {
          static_cast<std::vector<std::string>*>(into)->emplace_back(row[0] ? row[0] : "");
          return 0;
        },
        &values, &error);
    if (error != nullptr) ADD_FAILURE() << error << " in " << sql;
    sqlite3_free(error);
  }
  sqlite3_close(db);
  return values;
}

inline std::set<std::string> AsSet(const std::vector<std::string>& values) {
  return {values.begin(), values.end()};
}

// The orders of a response ("TC001-TC002"), one entry per row, for a
// response whose first two columns are TC001 and TC002 joined by ";".
inline std::vector<std::string> OrdersOf(const std::string& response) {
  static const std::regex row("<Row Data=\"([^;\"]*);([^;\"]*);");
  std::vector<std::string> orders;
  for (auto it = std::sregex_iterator(response.begin(), response.end(), row);
       it != std::sregex_iterator(); ++it) {
    orders.push_back((*it)[1].str() + "-" + (*it)[2].str());
  }
  return orders;
}

}  // namespace gateway::testing
