// Finding the value that keeps a response from being written. XML cannot
// carry every text a database holds (a control character, bytes of a legacy
// code page that are not UTF-8); such a value fails the whole response, and
// the request fails on every try until the row is corrected. So the failure
// names the order, the line and the column, for someone to repair the row.
#pragma once

#include <string>
#include <vector>

namespace gateway {

class DataSet;

// Describes the first value of the columns `delivered` (as the response
// names them) in `rows` that XML cannot carry, with the order keys and the
// line number of its row; empty when every value can be written. Moves the
// cursor of `rows`.
std::string DescribeUnwritableValue(DataSet& rows, const std::vector<std::string>& delivered);

}  // namespace gateway
