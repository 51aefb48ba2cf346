// Failures raised around pools: a pool that cannot form its XML element
// (EXmlNode), a list index outside a pool list (EListError), and an operation a
// class must provide but does not (RaiseNotImplemented).
#pragma once

#include <string>

#include "gateway/Exception.h"

namespace gateway {

class EXmlNode : public Exception {
 public:
  using Exception::Exception;
};

class EListError : public Exception {
 public:
  using Exception::Exception;
};

// Raises "Please implement the function: [Class=<class_name>, function=<function>] !", code 0.
[[noreturn]] void RaiseNotImplemented(const std::string& class_name, const std::string& function);

}  // namespace gateway
