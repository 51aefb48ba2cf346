#include "gatewayhost/HostReport.h"

#include <cstdio>
#include <stdexcept>

#include "gatewayhost/HostMessages.h"
#include "gatewayhost/HostResponse.h"
#include "gatewayhost/ResponseView.h"

namespace gateway::host {

namespace {

void PrintView(const WrittenResponse& response, const ResponseContent& content,
               const HostOptions& options) {
  std::string view;
  if (options.requests.size() > 1) {
    view += "== " + response.request_name + ", written to " + response.target_name + " ==\n";
  }
  view += RenderResponse(content, options.view_rows);
  if (std::fwrite(view.data(), 1, view.size(), stdout) != view.size() || std::fflush(stdout) != 0)
    throw std::runtime_error("cannot write the view to standard output");
}

}  // namespace

bool ReportResponse(const WrittenResponse& response, const HostOptions& options) {
  const ResponseContent content = ReadResponse(response.xml, RequestSeparator(response.request));
  if (options.view) PrintView(response, content, options);
  if (options.dry_run) PrintMessage(response.request_name + ": dry run: nothing was handed over");
  if (content.Succeeded()) return true;

  std::string message = response.request_name + ": ";
  if (!content.is_xml) {
    message += "the response is not XML";
  } else if (!content.status) {
    message += "the response has no Status";
  } else {
    message += "Status " + *content.status;
  }
  if (content.error) message += ": " + *content.error;
  PrintMessage(message);
  return false;
}

}  // namespace gateway::host
