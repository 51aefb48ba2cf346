// The condition pools, which read a request's condition tree and hold the SQL
// predicate a data-retrieval operator puts into its WHERE clause, and the
// converter that first turns the symbolic operator names a request may use
// inside groups (EQUAL, NOT IN, ...) into SQL operators.
#pragma once

#include <string>

#include "pools/TextPools.h"

namespace gateway {

// Replaces the operator names of the `Type` attributes of `Property` elements
// inside a `Group` (a Group below the root, at any depth) by SQL operators.
class TConditionTypeConverter {
 public:
  TConditionTypeConverter() = delete;

  // Each such Type, trimmed and with blank runs collapsed, is compared without
  // regard to ASCII case with EQUAL, NOTEQUAL, BIGTHAN, BIGEQUALTHAN, LESSTHAN,
  // LESSEQUALTHAN, LIKE, IN, NOT IN, BETWEEN and becomes =, <>, >, >=, <, <=,
  // like, in, not in, between; any other Type stays exactly as written. The
  // text becomes the root element's XML (without declaration); text that does
  // not parse stays unchanged.
  static void Convert(std::string& xml);
};

// A "Condition" element read into Text as the SQL predicate (the empty
// element gives "()"; text that does not parse gives an empty Text). It adds
// nothing to a response: its XML is always empty.
class TConditionPool : public TBaseStrPool {
 public:
  TConditionPool() { SetNodeName("Condition"); }
  void Clear() override {
    TBaseStrPool::Clear();
    ConvertedXml.clear();
  }

  // The condition element as Text was built from (operator names converted),
  // so that a statement builder can check the names and operators it holds
  // before the predicate goes into a statement.
  std::string ConvertedXml;

 protected:
  void ToXML(std::string& xml) override { xml.clear(); }
  void FromXML(const std::string& xml) override;
};

// The same condition pool for an element named "GroupCondition".
class TGroupConditionPool : public TConditionPool {
 public:
  TGroupConditionPool() { SetNodeName("GroupCondition"); }
};

}  // namespace gateway
