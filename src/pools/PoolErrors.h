// Failures raised around pools: a pool that cannot form its XML element
// (EXmlNode) and an operation a class must provide but does not
// (RaiseNotImplemented). A list index outside a pool list raises EListError
// (config/Errors.h).
#pragma once

#include <string>

#include "config/Errors.h"
#include "gateway/Exception.h"

namespace gateway {

class EXmlNode : public Exception {
 public:
  using Exception::Exception;
};

// Raises "Please implement the function: [Class=<class_name>, function=<function>] !", code 0.
[[noreturn]] void RaiseNotImplemented(const std::string& class_name, const std::string& function);

}  // namespace gateway
