// A dry run (--dry-run): each request runs in full and its response is
// written, but the hand-over is abandoned as soon as the response has been
// read, so no order is marked. The response says so with a processing
// instruction after its root element, which readers of the response's
// elements pass over and a script finds with grep or XPath.
#pragma once

#include <string>
#include <string_view>

namespace gateway::host {

// The processing instruction that ends a dry run's response.
inline constexpr std::string_view kDryRunMark =
    "<?gatewayhost-dry-run nothing in this response was handed over?>";

// The response with kDryRunMark on a line of its own after the rest; the
// module's text is kept byte for byte in front of it. An empty response (no
// document) stays empty.
std::string MarkDryRun(std::string_view xml);

}  // namespace gateway::host
