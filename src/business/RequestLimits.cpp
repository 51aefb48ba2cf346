#include "business/RequestLimits.h"

#include "config/GatewayConfigU.h"
#include "text/XmlShape.h"

namespace gateway {

std::string RequestLimitRefusal(std::string_view xml) {
  const TGatewayConfig& config = GatewayConfig();
  const auto max_bytes = static_cast<std::size_t>(config.MaxRequestBytes);
  if (xml.size() > max_bytes) {
    return "The request is " + std::to_string(xml.size()) + " bytes long, more than the " +
           std::to_string(max_bytes) +
           " a request may have (MaxRequestBytes in GatewayConfig.ini), so it was not run";
  }
  const XmlShape shape = MeasureXmlShape(xml);
  const auto max_elements = static_cast<std::size_t>(config.MaxRequestElements);
  if (shape.Elements > max_elements) {
    return "The request holds " + std::to_string(shape.Elements) + " elements, more than the " +
           std::to_string(max_elements) +
           " a request may hold (MaxRequestElements in GatewayConfig.ini), so it was not run";
  }
  if (shape.MostAttributes > kMaxElementAttributes) {
    return "An element of the request carries " + std::to_string(shape.MostAttributes) +
           " attributes, more than the " + std::to_string(kMaxElementAttributes) +
           " one element may carry, so the request was not run";
  }
  return std::string();
}

}  // namespace gateway
