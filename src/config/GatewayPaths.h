// Where the library finds its configuration and metadata files and writes its
// trace log, all derived from the library's own location (ModulePath), and the
// few file-system steps the log writers share.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gateway {

// The gateway root, ending with "/": the parent of the library directory, or
// two levels up when the library directory sits directly inside a folder named
// "Modi" (any letter case), as in ROOT/Modi/X/PurchaseOrder.so. Empty when the
// library's location is unknown, so nothing is ever looked up relative to the
// current directory.
std::string GetGatewayRoot();

// ROOT/GatewayConfig.ini (empty when the root is unknown).
std::string GetGatewayConfigFile();

// ROOT/Modi/Obj/NAME.xml when that file exists, else ROOT/Obj/NAME.xml when that
// exists, else empty.
std::string GetObjectXmlFile(std::string_view name);

// The files GetObjectXmlFile looks for, in its order (none when the root is unknown).
std::vector<std::string> ObjectXmlCandidates(std::string_view name);

// Where the gateway root came from, for messages about files not found there:
// "the gateway root /r/ (derived from the module /r/Bin/M.so)".
std::string DescribeGatewayRoot();

// LIBDIR/Log/ + the library's file name with its extension replaced by ".Log".
std::string GetTraceLogFile();

// The directory of the host program (through /proc/self/exe), ending with "/";
// empty when it cannot be read.
std::string HostExecutableDir();

// $TMPDIR when set and not empty, else "/tmp"; as given, without adding a "/".
std::string TempDir();

// `dir` + "/" + `name`, without doubling a "/" that `dir` already ends with.
std::string JoinPath(std::string_view dir, std::string_view name);

// True when something other than a directory exists at `path`.
bool FileExists(const std::string& path);

// Creates the directory with every missing parent; true when it exists afterwards.
bool ForceDirectories(const std::string& dir);

// Appends `bytes` to the file, creating it when absent with mode 0640 less the
// umask; true when every byte was written and the file closed without error.
bool AppendToFile(const std::string& path, std::string_view bytes);

// Writes every byte to the descriptor, writing on after short writes and
// interruptions; false on the first error.
bool WriteFully(int fd, std::string_view bytes);

}  // namespace gateway
