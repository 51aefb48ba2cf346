#include "config/PropertyInfoList.h"

#include <array>

#include "config/Errors.h"
#include "config/GatewayPaths.h"
#include "config/RequestSettings.h"
#include "config/XmlFileText.h"
#include "text/TextCase.h"
#include "text/XmlText.h"

namespace gateway {

namespace {

// Captions of the description table's columns, in the order of the row items.
constexpr std::array<std::string_view, 12> kCaptions = {
    "属性标识", "属性名称", "类型",   "长度",     "是否必输", "描述信息",
    "可否更改", "起始值",   "截止值", "取值列表", "默认值",   "字段名"};

// Whether a "Property" element belongs to the current factory: it names none
// (absent, or only blanks) or exactly the global parameters' Factory.
bool BelongsToFactory(const XmlNode& property) {
  const std::optional<std::string> company = property.Attribute("Company");
  if (!company) return true;
  const std::string code = Trim(*company);
  return code.empty() || code == RequestSettings().Factory;
}

}  // namespace

TPropertyInfoList::TPropertyInfoList(ItemClass item_class) : item_class_(std::move(item_class)) {}

TPropertyInfo& TPropertyInfoList::Add() {
  items_.push_back(item_class_());
  return *items_.back();
}

TPropertyInfo& TPropertyInfoList::Items(int index) const {
  if (index < 0 || index >= Count()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return *items_[static_cast<std::size_t>(index)];
}

TPropertyInfo* TPropertyInfoList::FindByField(std::string_view name) const {
  for (const auto& item : items_) {
    if (SameTextAscii(item->Field, name)) return item.get();
  }
  return nullptr;
}

void TPropertyInfoList::LoadFromFile(const std::string& path) {
  Clear();
  if (!FileExists(path)) return;
  const XmlDocument document = LoadNormalizedXml(ReadXmlFileText(path));
  // "//*/PropertyList": a PropertyList element whose parent is an element, so
  // a root element of that name does not count.
  const XmlNode list = document.DocumentNode().SelectSingleNode("//*/PropertyList");
  if (list.IsNull()) return;
  LoadFromElement(list);
}

void TPropertyInfoList::LoadFromXML(std::string_view text) {
  LoadFromElement(LoadNormalizedXml(text).DocumentElement());
}

void TPropertyInfoList::LoadFromElement(const XmlNode& list) {
  Clear();
  if (list.IsNull()) return;
  for (const XmlNode& property : list.SelectNodes("Property")) {
    if (CompanyFilter && !BelongsToFactory(property)) continue;
    // Added before it is read: an item that fails stays in the list.
    Add().LoadFromElement(property);
  }
}

std::string TPropertyInfoList::GetDescription() const {
  const TRequestSettings& params = RequestSettings();
  std::string header(kCaptions[0]);
  for (std::size_t i = 1; i < kCaptions.size(); ++i) {
    params.AppendEncodedItem(header, std::string(kCaptions[i]));
  }
  std::string description = DescriptionElement("PropertyDesc", header);
  for (const auto& item : items_) description += item->GetDescriptionRow();
  return description;
}

}  // namespace gateway
