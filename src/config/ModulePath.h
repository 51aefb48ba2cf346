// Where the library file itself lies: the module's own path decides where the
// gateway root, the configuration, the metadata and the trace log are, never
// the current directory or the host program.
#pragma once

#include <string>

namespace gateway {

// The absolute file name of the binary that holds this code: the module's .so
// when it is loaded into a host, the program itself when linked statically.
// The full path is returned however long it is.
std::string ModulePath();

// The directory of ModulePath(), ending with "/".
std::string ModuleDir();

// Makes ModulePath() return `path`, so tests can place the library in a
// temporary gateway root. An empty path goes back to the real location.
void SetModulePathForTesting(std::string path);

}  // namespace gateway
