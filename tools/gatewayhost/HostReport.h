// What the host tells a person about each response it has written: the view
// on standard output when asked for, and on standard error the Error of a
// response whose Status says it failed.
#pragma once

#include <string>

#include "gatewayhost/HostOptions.h"

namespace gateway::host {

// One written response and where it came from.
struct WrittenResponse {
  std::string xml;           // as the module gave it (UTF-8)
  std::string request;       // the request text (UTF-8), for its separator
  std::string request_name;  // "request 'a.xml'", for messages
  std::string target_name;   // where the XML went, for the view's heading
};

// Prints the view when options.view is set (under a heading naming the
// request when the run has several); on standard error, for a dry run,
// "gatewayhost: <request_name>: dry run: nothing was handed over" and, for a
// response whose Status is not 0 (or that has none), "gatewayhost:
// <request_name>: Status <code>: <Error>". Returns true when the response
// reports success.
bool ReportResponse(const WrittenResponse& response, const HostOptions& options);

}  // namespace gateway::host
