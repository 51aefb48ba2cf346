// TPropertyInfoList: the property metadata of one business object, read from
// the "PropertyList" element of its metadata file (keeping only the properties
// of the current factory) and rendered as the description table that the help
// document embeds.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/PropertyInfo.h"
#include "text/XmlDom.h"

namespace gateway {

class TPropertyInfoList {
 public:
  // Makes the items Add appends: TPropertyInfo or a descendant.
  using ItemClass = std::function<std::unique_ptr<TPropertyInfo>()>;

  template <class T>
  static ItemClass ItemClassOf() {
    return [] { return std::unique_ptr<TPropertyInfo>(std::make_unique<T>()); };
  }

  explicit TPropertyInfoList(ItemClass item_class = ItemClassOf<TPropertyInfo>());
  TPropertyInfoList(const TPropertyInfoList&) = delete;
  TPropertyInfoList& operator=(const TPropertyInfoList&) = delete;

  // A new item of the item class, appended to the list.
  TPropertyInfo& Add();
  int Count() const { return static_cast<int>(items_.size()); }
  // The item at a 0-based index; outside 0..Count-1 raises EListError.
  TPropertyInfo& Items(int index) const;
  void Clear() { items_.clear(); }

  // The first item whose Field equals `name` without regard to ASCII case;
  // nullptr when none does.
  TPropertyInfo* FindByField(std::string_view name) const;

  // Empties the list, then loads the first "PropertyList" element found below
  // the root of the XML file at `path` (never the root itself). A missing file
  // or one without such an element leaves the list empty. The file is decoded
  // by ReadXmlFileText; a file that exists but cannot be read raises
  // EInOutError.
  void LoadFromFile(const std::string& path);
  // Empties the list, then adds one item per "Property" child of the text's
  // root element, in document order, skipping (while CompanyFilter is set) the
  // properties of other factories. An item that fails to read ends the load
  // with its error and stays in the list.
  void LoadFromXML(std::string_view text);

  // The description table: a "PropertyDesc" element holding the twelve
  // captions joined by the request separator, followed by the "Property" row
  // of every published item, with nothing between the elements. Reads the
  // global parameters' separator.
  std::string GetDescription() const;

  // While set, loading skips every property whose Company attribute, trimmed,
  // is neither empty nor exactly the Factory of the global parameters.
  bool CompanyFilter = true;

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  void LoadFromElement(const XmlNode& list);

  ItemClass item_class_;
  std::vector<std::unique_ptr<TPropertyInfo>> items_;
};

}  // namespace gateway
