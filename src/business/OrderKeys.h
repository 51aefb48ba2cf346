// The order keys (TC001, TC002) by which the purchase-order operator marks
// the orders of its response as handed over. The marking must name exactly
// the orders the response delivers, so the response must carry each key as
// the base statement's own column, unmistakably: an order delivered without
// its key, or under a key column that holds something else, would be marked
// without the host knowing it has it. These checks refuse such a request.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace gateway {

class DataSet;

inline constexpr std::array<const char*, 2> kOrderKeys = {"TC001", "TC002"};

// A requested column list (the request's PropertyList; empty: every column)
// must hold each order key as an item of its own, written as the bare column
// name (letter case aside). Raises naming the first key missing.
void CheckOrderKeysRequested(const std::vector<std::string>& property_list);

// The response's columns (`delivered`, the names the response writes) must
// hold each order key, and the column of `rows` the response writes under it
// must be the base statement's own. With a requested column list (`requested`,
// the PropertyList; empty: every column) the result has one column per item,
// and the column at the key item's place must bear the key's name: drivers
// give a later column of the same name another one (TC002_1), so an alias
// placed before the key would otherwise pass for it. Raises naming the first
// key that is not so.
void CheckOrderKeysDelivered(const std::vector<std::string>& delivered,
                             const std::vector<std::string>& requested, const DataSet& rows);

}  // namespace gateway
