// TKvADOConnection: the connection the data controller uses. Its connection
// string carries the two timeouts as items: "Connect Timeout" is taken out of
// the string into ConnectionTimeout (and shown again on reading while it is
// not 15); "Command Timeout" stays in the string and also sets CommandTimeout.
#pragma once

#include <string>

#include "data/Connection.h"

namespace gateway {

class TKvADOConnection : public Connection {
 public:
  using Connection::Connection;

  // These replace the base's accessors of the same name; callers of the
  // wrapper go through them.
  std::string ConnectionString() const;
  void SetConnectionString(const std::string& value);
};

}  // namespace gateway
