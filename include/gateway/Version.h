// The version of this release of the module, its host and the public
// interfaces. A host compiled against this header and a module built from it
// report the same text; the build reads the project's version from here too.
#pragma once

#define GATEWAY_VERSION "0.1.0"
