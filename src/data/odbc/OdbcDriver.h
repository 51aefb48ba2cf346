// The ODBC driver, through the unixODBC driver manager. Text goes through the
// narrow (char) calls as UTF-8: the drivers used here speak UTF-8 in a UTF-8
// locale (FreeTDS is asked for it with ClientCharset=UTF-8). The dialect
// follows the engine the driver reports (SQL Server, or SQLite).
#pragma once

#include <memory>
#include <string>

#include "data/Driver.h"

namespace gateway {

struct OdbcOptions {
  // How values other than binary ones are fetched: kAuto fetches every value
  // as text when the engine is SQLite (whose values need not match their
  // declared types, so a typed fetch could silently turn "12abc" into 12) and
  // typed (integers, doubles, date-time structures) otherwise.
  enum class Fetch { kAuto, kText, kTyped } fetch = Fetch::kAuto;
};

// Connects with an ODBC connection string; `description` names the target in
// messages and must not hold a password. `login_timeout_seconds` 0: no limit.
std::unique_ptr<DriverConnection> ConnectOdbc(const std::string& connection_string,
                                              const std::string& description,
                                              int login_timeout_seconds,
                                              OdbcOptions options = {});

}  // namespace gateway
