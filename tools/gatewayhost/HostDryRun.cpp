#include "gatewayhost/HostDryRun.h"

namespace gateway::host {

std::string MarkDryRun(std::string_view xml) {
  if (xml.empty()) return std::string();
  // After the root element, where a document may hold processing
  // instructions: the Service element and its children stay as the module
  // wrote them, and the XML declaration stays first.
  std::string marked(xml);
  if (marked.back() != '\n') marked += '\n';
  marked += kDryRunMark;
  marked += '\n';
  return marked;
}

}  // namespace gateway::host
