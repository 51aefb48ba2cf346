// The items of an ADO- or ODBC-style connection string ("Name=Value;..."):
// splitting with the quoting both styles use, lookup by name, joining for an
// ODBC driver, and the form that messages and logs show (passwords masked).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gateway {

struct ConnectionItem {
  std::string Name;   // trimmed
  std::string Value;  // trimmed, quotes removed
};

// Items are separated by ";" and split at their first "=". A value starting
// with a double quote or an apostrophe runs to the matching quote (a doubled
// quote stands for one), a value starting with "{" to the matching "}" ("}}"
// stands for "}"), so such values may hold ";". Empty items are skipped.
std::vector<ConnectionItem> SplitConnectionItems(std::string_view text);

// The value of the last item of that name (ASCII letter case ignored); empty when absent.
std::string FindConnectionItem(const std::vector<ConnectionItem>& items, std::string_view name);
bool HasConnectionItem(const std::vector<ConnectionItem>& items, std::string_view name);

// Joins items for an ODBC driver, putting values that need it in braces.
std::string JoinOdbcItems(const std::vector<ConnectionItem>& items);

// The connection string as written, but for the value of every password item
// (Password, PWD, any letter case), plain or stored scrambled, which becomes
// "***", also inside a quoted value such as "Extended Properties". Whatever
// writes a connection string into a message or a log writes this form.
std::string MaskConnectionString(std::string_view text);

// Where a connection string leads, for messages: only its DSN, Driver,
// server, Port and database items ("Driver=X;Server=h;Port=5432;Database=erp"),
// never a user, a password or any other item.
std::string ConnectionTarget(std::string_view text);

}  // namespace gateway
