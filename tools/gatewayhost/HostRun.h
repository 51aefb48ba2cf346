// The host's run: read every input, load the module, make and initialise one
// business object, and run each request through the chosen operator.
#pragma once

#include <string>

#include "gateway/IBusiness.h"
#include "gatewayhost/HostOptions.h"

namespace gateway::host {

// The operator the choice names, looked up by name (without regard to case)
// or by 0-based index. Raises std::runtime_error naming the operators there
// are when the choice matches none.
IOperater& PickOperater(IBusiness& business, const OperaterChoice& choice);

// The path the response to request `number` (from 1) is written to under `directory`.
std::string ResponsePath(const std::string& directory, size_t number);

// Runs the host as the options say. Any failure (of the host or raised by the
// module) propagates as an exception; responses of the requests before it
// have been written.
void RunHost(const HostOptions& options);

}  // namespace gateway::host
