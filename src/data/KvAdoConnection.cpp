#include "data/KvAdoConnection.h"

#include "config/IntegerText.h"
#include "data/ConnectionStrings.h"

namespace gateway {

namespace {

constexpr int kDefaultConnectTimeout = 15;
constexpr int kDefaultCommandTimeout = 30;

}  // namespace

std::string TKvADOConnection::ConnectionString() const {
  const std::string& base = Connection::ConnectionString();
  if (base.empty()) return base;
  if (ConnectionTimeout() == kDefaultConnectTimeout) return base;
  return SetConnectionItem(base, "Connect Timeout", std::to_string(ConnectionTimeout()));
}

void TKvADOConnection::SetConnectionString(const std::string& value) {
  if (value == ConnectionString()) return;
  const std::string command_timeout = GetExtendedProperty(value, "Command Timeout");
  std::string stripped = value;
  std::string connect_timeout;
  ExtractConnectionItem(stripped, "Connect Timeout", connect_timeout);
  Connection::SetConnectionString(stripped);
  if (!command_timeout.empty()) {
    SetCommandTimeout(ParseIntegerText(command_timeout).value_or(kDefaultCommandTimeout));
  }
  if (!connect_timeout.empty()) {
    SetConnectionTimeout(ParseIntegerText(connect_timeout).value_or(kDefaultConnectTimeout));
  }
}

}  // namespace gateway
