#include "gatewayhost/HostResponse.h"

#include "gatewayhost/HostXml.h"

namespace gateway::host {

namespace {

constexpr std::string_view kSeparatorMarker = "&stdd;";

// "SetData" with its supported operations below it ("Operate/Insert" ...), or
// a plain name for a method element with only text.
std::string MethodName(const XmlElement& method) {
  std::string name = method.Name();
  std::string parts;
  std::vector<XmlElement> pending = method.Children();
  for (size_t i = 0; i < pending.size(); ++i) {
    const std::vector<XmlElement> children = pending[i].Children();
    if (children.empty()) {
      parts += (parts.empty() ? "" : ", ") + pending[i].Name();
    } else {
      pending.insert(pending.end(), children.begin(), children.end());
    }
  }
  return parts.empty() ? name : name + " (" + parts + ")";
}

ObjectDescription ReadObject(const XmlElement& object, std::string_view separator) {
  ObjectDescription description;
  description.id = object.Attribute("ID");
  description.name = object.Attribute("Name");
  description.desc = object.Attribute("Desc");
  for (const XmlElement& child : object.Children()) {
    const std::string name = child.Name();
    if (name == "MemoList") {
      for (const XmlElement& memo : child.Children()) description.memos.push_back(memo.Text());
    } else if (name == "MethodList") {
      for (const XmlElement& method : child.Children()) {
        description.methods.push_back(MethodName(method));
      }
    } else if (name == "PropertyDesc") {
      description.properties.header = SplitList(child.Text(), separator);
    } else if (name == "Property") {
      description.properties.rows.push_back(SplitList(child.Text(), separator));
    }
  }
  return description;
}

ResponsePart NewPart(ResponsePart::Kind kind, const std::string& name) {
  ResponsePart part;
  part.kind = kind;
  part.name = name;
  return part;
}

}  // namespace

bool ResponseContent::Succeeded() const { return status && *status == "0"; }

std::string RequestSeparator(std::string_view request) {
  // Recovering: the module puts a document type that declares the marker in
  // front of a request, so a request may use "&stdd;" without declaring it.
  const XmlText document(request, /*recover=*/true);
  return document.Root().Child("Seperator").Text();
}

std::vector<std::string> SplitList(std::string_view text, std::string_view separator) {
  std::vector<std::string> items(1);
  while (!text.empty()) {
    // The marker is looked at first: the separator may be one of its
    // characters (";"), and a separator inside a marker is no cut.
    if (text.starts_with(kSeparatorMarker)) {
      items.back() += separator;
      text.remove_prefix(kSeparatorMarker.size());
    } else if (!separator.empty() && text.starts_with(separator)) {
      items.emplace_back();
      text.remove_prefix(separator.size());
    } else {
      items.back() += text.front();
      text.remove_prefix(1);
    }
  }
  return items;
}

ResponseContent ReadResponse(std::string_view xml, std::string_view separator) {
  ResponseContent content;
  const XmlText document(xml, /*recover=*/false);
  const XmlElement service = document.Root();
  if (!service) return content;
  content.is_xml = true;
  for (const XmlElement& element : service.Children()) {
    const std::string name = element.Name();
    if (name == "Status") {
      if (!content.status) content.status = element.Text();
    } else if (name == "Error") {
      if (!content.error) content.error = element.Text();
    } else if (name == "Data") {
      for (const XmlElement& data_set : element.Children()) {
        if (data_set.Name() != "DataSet") continue;
        ResponsePart part = NewPart(ResponsePart::Kind::kDataSet, name);
        part.table.header = SplitList(data_set.Attribute("Field"), separator);
        for (const XmlElement& row : data_set.Children()) {
          if (row.Name() == "Row")
            part.table.rows.push_back(SplitList(row.Attribute("Data"), separator));
        }
        content.parts.push_back(std::move(part));
      }
    } else if (name == "Object") {
      ResponsePart part = NewPart(ResponsePart::Kind::kObject, name);
      part.object = ReadObject(element, separator);
      content.parts.push_back(std::move(part));
    } else {
      ResponsePart part = NewPart(ResponsePart::Kind::kText, name);
      part.text = element.Text();
      content.parts.push_back(std::move(part));
    }
  }
  return content;
}

}  // namespace gateway::host
