// TOperateError: the outcome of one operator execution. Code 0 means no error;
// otherwise it is the help context of the exception that ended the execution,
// or -1 when only a message is known.
#pragma once

#include <cstdint>
#include <string>

namespace gateway {

struct TOperateError {
  int32_t Code = 0;
  std::string Message;
};

}  // namespace gateway
