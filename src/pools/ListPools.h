// Pools whose content is a list: the order and group lists, the calculated
// property list, and the joined string list with the column-list pool that
// says which columns a data-retrieval operator returns. Every list separator
// is the request's (GlobleParams().Seperator), read at the moment of use.
#pragma once

#include <string>
#include <vector>

#include "pools/TextPools.h"

namespace gateway {

// The sort order: "OrderList" element whose items are joined by the request
// separator; inside the pool, Text holds them joined by ",".
class TOrderListPool : public TTextNodePool {
 public:
  TOrderListPool() { SetNodeName("OrderList"); }

 protected:
  // With an empty separator every "," is dropped.
  void ToXML(std::string& xml) override;
  void FromXML(const std::string& xml) override;
};

// The grouping columns, in the same form as the order list.
class TGroupListPool : public TOrderListPool {
 public:
  TGroupListPool() { SetNodeName("GroupList"); }
};

// Reads a "PropertyList" of `Property` elements (`Name`: column names joined
// by the separator; `Type`: an optional function name) into Text as a
// ","-separated list of column expressions, e.g. SUM(TD008),SUM(TD009),TD010.
// It writes nothing.
class TGetCaculatePropertyListPool : public TBaseStrPool {
 public:
  TGetCaculatePropertyListPool() { SetNodeName("PropertyList"); }

 protected:
  void ToXML(std::string& xml) override { xml.clear(); }
  void FromXML(const std::string& xml) override;
};

// A list of texts written as the items joined by the separator, a separator
// inside an item escaped as "&stdd;", with no element around them. It reads
// nothing.
class TBaseStringsPool : public TBasePool {
 public:
  void Clear() override { Strings.clear(); }

  std::vector<std::string> Strings;

 protected:
  // Raises the separator-conflict error when an item already holds "&stdd;".
  void ToXML(std::string& xml) override;
  void FromXML(const std::string&) override {}
};

// The columns a data-retrieval operator returns: a "PropertyList" element
// whose text is the column names joined by the separator. Items are trimmed,
// empty ones kept, a trailing separator adds none; markers are not decoded.
class TGetDataPropertyListPool : public TBaseStringsPool {
 public:
  TGetDataPropertyListPool() { SetNodeName("PropertyList"); }

 protected:
  void FromXML(const std::string& xml) override;
};

}  // namespace gateway
