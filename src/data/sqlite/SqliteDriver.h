// The SQLite driver: a database file opened through SQLite's C API. The
// command timeout interrupts a statement that runs too long; the connection
// timeout bounds the wait for a database another connection holds locked.
#pragma once

#include <memory>
#include <string>

#include "data/Driver.h"

namespace gateway {

// Opens an existing database file (a missing file is an error, never created).
// `connect_timeout_seconds` 0 waits on a locked database without limit.
std::unique_ptr<DriverConnection> ConnectSqlite(const std::string& file,
                                                int connect_timeout_seconds);

}  // namespace gateway
