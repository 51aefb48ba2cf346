#include "business/OrderKeys.h"

#include <algorithm>

#include "data/DataSet.h"
#include "gateway/Exception.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

bool Holds(const std::vector<std::string>& names, const char* key) {
  return std::any_of(names.begin(), names.end(),
                     [key](const std::string& name) { return SameTextAscii(name, key); });
}

}  // namespace

void CheckOrderKeysRequested(const std::vector<std::string>& property_list) {
  if (property_list.empty()) return;
  for (const char* key : kOrderKeys) {
    if (Holds(property_list, key)) continue;
    throw Exception(std::string("The request's PropertyList does not deliver the order key ") +
                    key +
                    " as a column of its own, so the orders of the response could not be "
                    "marked as handed over: list " +
                    key + " as an item of its own, not computed, aliased or qualified");
  }
}

void CheckOrderKeysDelivered(const std::vector<std::string>& delivered,
                             const std::vector<std::string>& requested, const DataSet& rows) {
  if (!requested.empty() && static_cast<size_t>(rows.FieldCount()) != requested.size()) {
    throw Exception("The request's PropertyList gives " + std::to_string(rows.FieldCount()) +
                    " columns for its " + std::to_string(requested.size()) +
                    " items, so the order keys of the response cannot be told apart from other "
                    "columns and its orders could not be marked as handed over");
  }
  for (const char* key : kOrderKeys) {
    if (!Holds(delivered, key)) {
      throw Exception(std::string("The response does not deliver the order key ") + key +
                      ", so its orders could not be marked as handed over");
    }
    const Field* field = rows.FindField(key);
    if (!requested.empty()) {
      const auto item = std::find_if(requested.begin(), requested.end(), [key](const std::string& name) {
        return SameTextAscii(name, key);
      });
      field = item == requested.end() ? nullptr : &rows.Fields(static_cast<int>(item - requested.begin()));
    }
    if (field == nullptr || !SameTextAscii(field->FieldName(), key)) {
      throw Exception(std::string("Another column of the response is named as the order key ") +
                      key + ", so its orders could not be marked as handed over: name it otherwise");
    }
  }
}

}  // namespace gateway
