// The response as a person reads it: each DataSet as a table (column names,
// then one line per row, columns lined up by display width), a Help
// description with its memos, methods and property table, any other element
// as "Name: text", then Error and Status.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "gatewayhost/HostResponse.h"

namespace gateway::host {

// A table's lines: the header, a rule under each name, and the rows, every
// column as wide as its widest shown value; only the first `max_rows` rows
// are shown when given. Each line ends with "\n".
std::string RenderTable(const TextTable& table, std::optional<size_t> max_rows);

// The whole view of a response; tables show at most `max_rows` rows each,
// with the number of rows they hold.
std::string RenderResponse(const ResponseContent& content, std::optional<size_t> max_rows);

}  // namespace gateway::host
