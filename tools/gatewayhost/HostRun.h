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

// Runs the host as the options say and returns false when a response reports
// a failure inside the operator (Status other than 0); each such response's
// Error has been printed on standard error. Any failure of the host or raised
// by the module propagates as an exception; responses of the requests before
// it have been written.
bool RunHost(const HostOptions& options);

// The host's exit statuses.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitResponseFailed = 3;

}  // namespace gateway::host
