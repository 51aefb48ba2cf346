// The request elements a reader may have meant but the system does not read:
// names that differ from a known element only in letter case (element names
// are matched exactly) and the common spelling "Separator" of the system's
// "Seperator". Such an element keeps its meaning (a plain text element nobody
// reads); the person who wrote it is only told.
#pragma once

#include <string>
#include <vector>

#include "text/XmlDom.h"

namespace gateway {

// One warning per name of a child element of `root` that looks like a known
// element but is not one, in document order.
std::vector<std::string> MisspelledRequestElements(const XmlNode& root);

// Writes each of them as a warning (trace log and the host's handler).
void WarnAboutMisspelledElements(const XmlNode& root);

}  // namespace gateway
