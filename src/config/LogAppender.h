// Appends lines to log files through descriptors kept open between writes,
// for logs written once per SQL statement. Every line is one write(2) on a
// descriptor opened with O_APPEND, so it lands at the file's end at once,
// visible to every reader and next to lines other processes append. Before
// each write the path is looked up again (stat): when it names another file
// than the one held open (the log was renamed away by a rotation, or deleted)
// the descriptor is closed and the path opened anew, creating the file, so
// every later line goes to the file that now has the name, as when each
// write opened and closed it.
#pragma once

#include <string>
#include <string_view>

namespace gateway {

// Appends `bytes` to the file `name` in `dir`, creating it with mode 0640
// (narrowed by the umask) when it is missing, and the directory with its
// missing parents when the file has to be opened. False when the file could
// not be opened or written.
bool AppendToLogFile(const std::string& dir, std::string_view name, std::string_view bytes);

// Closes every descriptor held (at library shut-down).
void CloseLogFiles();

}  // namespace gateway
