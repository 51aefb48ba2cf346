#include "pools/PoolErrors.h"

namespace gateway {

void RaiseNotImplemented(const std::string& class_name, const std::string& function) {
  throw Exception("Please implement the function: [Class=" + class_name +
                  ", function=" + function + "] !");
}

}  // namespace gateway
