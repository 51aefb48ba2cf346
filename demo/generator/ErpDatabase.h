// Writes one ERP database of the demo: the tables, the master data and the
// purchase orders with their lines, all drawn from one seeded random stream
// so that the same seed gives the same rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gateway::demo {

// One database of the demo root: the main one, or the one of a factory.
struct Site {
  std::string path;     // the database file
  std::string schema;   // its schema on a database server ("" for the main one: the default)
  std::string company;  // COMPANY of its orders
  bool company_table;   // holds the company table KVTMB (the main database only)
  bool bonded;          // some orders carry a customs manual number (TC036)
  uint32_t stream;      // its own random stream under the common seed
};

struct Size {
  int64_t orders;
  int lines_per_order;
  uint64_t seed;
};

// The main database ROOT/erp.db, then one per factory of the company table,
// each named as the SQLite driver finds a company database.
std::vector<Site> DemoSites(const std::string& root);

// Creates the file (it must not exist) and fills it; with an ODBC connection
// string, makes the tables anew in the site's schema of that database instead.
void WriteErpDatabase(const Site& site, const Size& size, const std::string& odbc = {});

}  // namespace gateway::demo
