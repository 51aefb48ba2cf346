// TRequestSettings: the request-wide values that code below the pools reads at
// the moment of use (the list separator, the date format of result rows, the
// factory whose metadata applies). Their owner is the global parameters, which
// register themselves here when the library starts; the data and configuration
// code reaches them through RequestSettings() without knowing the pools.
#pragma once

#include <string>

namespace gateway {

struct TRequestSettings {
  std::string DateFormat;
  std::string Seperator;
  std::string Factory;

  // Appends the request separator, then the item with separators escaped. The
  // separator goes first even into an empty list: callers cut the leading one.
  void AppendEncodedItem(std::string& list, const std::string& item) const;
};

// The settings of the current request. Raises gateway::Exception while none
// are registered (outside library start-up and shut-down).
const TRequestSettings& RequestSettings();
// Registers the settings RequestSettings() returns; nullptr withdraws them.
void SetRequestSettings(const TRequestSettings* settings);

}  // namespace gateway
