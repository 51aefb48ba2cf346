// The row XML of datasets: TDataController's class-level conversions.
#include <algorithm>
#include <string>
#include <vector>

#include "config/DateTimeFormat.h"
#include "config/RequestSettings.h"
#include "data/DataController.h"
#include "data/DataSet.h"
#include "gateway/Exception.h"
#include "text/ListText.h"
#include "text/TextCase.h"
#include "text/XmlAttributeText.h"
#include "text/XmlText.h"

namespace gateway {

namespace {

constexpr int kInvalidNodeName = -9009;

// The text a field contributes to a row line.
std::string FieldText(const Field& field, const std::string& date_format) {
  if (IsDateTimeType(field.DataType()) && !field.HoldsRawText()) {
    return FormatDateTime(date_format, field.AsDateTime());
  }
  return field.AsString();
}

// Items joined as separator-then-item (the global parameters' own way of
// appending an escaped item), the leading separator cut at the end.
class SeparatedLine {
 public:
  explicit SeparatedLine(const TRequestSettings& params) : params_(params) {}
  void Add(const std::string& item) { params_.AppendEncodedItem(line_, item); }
  std::string Take() { return std::string(View()); }
  std::string_view View() const {
    return std::string_view(line_).substr(std::min(params_.Seperator.size(), line_.size()));
  }
  // Starts the next line, keeping the memory.
  void Clear() { line_.clear(); }

 private:
  const TRequestSettings& params_;
  std::string line_;
};

std::vector<std::string> AllFieldNames(const DataSet& dataset) {
  std::vector<std::string> names;
  for (int i = 0; i < dataset.FieldCount(); ++i) names.push_back(dataset.Fields(i).FieldName());
  return names;
}

}  // namespace

Field* TDataController::FindFieldDeep(DataSet& dataset, const std::string& name) {
  if (Field* field = dataset.FindField(name)) return field;
  for (int i = 0; i < dataset.FieldCount(); ++i) {
    const Field& field = dataset.Fields(i);
    if (field.DataType() != ftDataSet || field.NestedDataSet() == nullptr) continue;
    if (Field* nested = FindFieldDeep(*field.NestedDataSet(), name)) return nested;
  }
  return nullptr;
}

namespace {

// One slot per requested name; a name without a (visible) field keeps its
// place with an empty name and empty values.
std::vector<Field*> Slots(DataSet& dataset, const std::vector<std::string>& fields,
                          bool include_hidden) {
  std::vector<Field*> slots;
  slots.reserve(fields.size());
  for (const std::string& name : fields) {
    Field* field = TDataController::FindFieldDeep(dataset, name);
    slots.push_back(field != nullptr && (include_hidden || field->Visible()) ? field : nullptr);
  }
  return slots;
}

}  // namespace

std::string TDataController::DataSetToXML(DataSet& dataset, const std::vector<std::string>& fields,
                                          bool include_hidden, const std::string& node_name) {
  if (node_name.empty()) throw Exception("The node name is invalid!", kInvalidNodeName);
  dataset.CheckBrowseMode();
  const TRequestSettings& params = RequestSettings();

  const std::vector<Field*> slots = Slots(dataset, fields, include_hidden);

  XmlDocument document = LoadNormalizedXml("<" + node_name + "/>");
  XmlNode root = document.DocumentElement();
  if (root.IsNull()) return std::string();

  XmlNode data_set = root.AppendChild(document.CreateElement("DataSet"));
  SeparatedLine names(params);
  for (const Field* field : slots) names.Add(field != nullptr ? field->FieldName() : std::string());
  data_set.SetAttribute("Field", names.Take());

  if (!dataset.IsEmpty()) {
    for (dataset.First(); !dataset.Eof(); dataset.Next()) {
      SeparatedLine row(params);
      for (const Field* field : slots) {
        row.Add(field != nullptr ? FieldText(*field, params.DateFormat) : std::string());
      }
      data_set.AppendChild(document.CreateElement("Row")).SetAttribute("Data", row.Take());
    }
  }
  return root.Xml();
}

std::string TDataController::DataSetToXML(DataSet& dataset, bool include_hidden,
                                          const std::string& node_name) {
  return DataSetToXML(dataset, AllFieldNames(dataset), include_hidden, node_name);
}

bool TDataController::AppendDataSetXML(std::string& out, DataSet& dataset,
                                       const std::vector<std::string>& fields, bool include_hidden,
                                       const std::string& node_name) {
  if (node_name.empty()) throw Exception("The node name is invalid!", kInvalidNodeName);
  // Other names are left to the document, which knows what it accepts.
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (!std::all_of(node_name.begin(), node_name.end(), letter)) return false;
  dataset.CheckBrowseMode();
  const TRequestSettings& params = RequestSettings();
  const std::vector<Field*> slots = Slots(dataset, fields, include_hidden);
  const std::size_t start = out.size();
  auto give_up = [&out, start] {
    out.resize(start);
    return false;
  };

  out += '<';
  out += node_name;
  out += "><DataSet Field=\"";
  SeparatedLine names(params);
  for (const Field* field : slots) names.Add(field != nullptr ? field->FieldName() : std::string());
  if (!AppendAttributeValue(out, names.View())) return give_up();
  out += '"';
  if (dataset.IsEmpty()) {
    out += "/>";
  } else {
    out += '>';
    SeparatedLine row(params);
    // Once the first rows show how long a row is, the room for all of them
    // is taken at once: a text that doubled its way up to the size of the
    // response held the old and the new copy at each step (three times the
    // text at the last one).
    constexpr std::size_t kSampleRows = 64;
    const std::size_t rows_start = out.size();
    std::size_t written = 0;
    const auto total = static_cast<std::size_t>(std::max(dataset.RecordCount(), 0));
    for (dataset.First(); !dataset.Eof(); dataset.Next()) {
      row.Clear();
      for (const Field* field : slots) {
        row.Add(field != nullptr ? FieldText(*field, params.DateFormat) : std::string());
      }
      out += "<Row Data=\"";
      if (!AppendAttributeValue(out, row.View())) return give_up();
      out += "\"/>";
      if (++written == kSampleRows && total > written) {
        const std::size_t per_row = (out.size() - rows_start) / written;
        out.reserve(out.size() + (total - written) * per_row + (total - written) * per_row / 16 +
                    64);
      }
    }
    out += "</DataSet>";
  }
  out += "</";
  out += node_name;
  out += '>';
  return true;
}

bool TDataController::AppendDataSetXML(std::string& out, DataSet& dataset, bool include_hidden,
                                       const std::string& node_name) {
  return AppendDataSetXML(out, dataset, AllFieldNames(dataset), include_hidden, node_name);
}

namespace {

void ReadRows(DataSet& dataset, const std::vector<std::string>* accepted, const std::string& xml) {
  dataset.CheckBrowseMode();
  const XmlDocument document = LoadNormalizedXml(xml);
  const XmlNode root = document.DocumentElement();
  if (root.IsNull() || !root.HasChildNodes()) return;
  const XmlNode field_attribute = root.SelectSingleNode("DataSet/@Field");
  if (field_attribute.IsNull()) return;

  const std::string& separator = RequestSettings().Seperator;
  std::vector<Field*> slots;
  bool any = false;
  std::string names = field_attribute.Text();
  while (!names.empty()) {
    const std::string name = Trim(CutFirstItem(names, separator));
    Field* field = dataset.FindField(name);
    if (field != nullptr && accepted != nullptr &&
        std::none_of(accepted->begin(), accepted->end(), [field](const std::string& entry) {
          return SameTextAscii(entry, field->FieldName());
        })) {
      field = nullptr;
    }
    any = any || field != nullptr;
    slots.push_back(field);
  }
  if (!any) return;

  for (const XmlNode& data : root.SelectNodes("DataSet/Row/@Data")) {
    const std::string line = data.Text();
    dataset.Append();
    try {
      for (size_t j = 0; j < slots.size(); ++j) {
        if (slots[j] == nullptr) continue;
        slots[j]->SetAsString(
            DecodeSeparator(GetNthItem(line, separator, static_cast<int>(j + 1)), separator));
      }
      dataset.Post();
    } catch (...) {
      // The rows before stay; the half-filled one must not be posted later by
      // whoever next brings the dataset into browse mode.
      dataset.Cancel();
      throw;
    }
  }
}

}  // namespace

void TDataController::XMLToDataSet(DataSet& dataset, const std::vector<std::string>& fields,
                                   const std::string& xml) {
  ReadRows(dataset, &fields, xml);
}

void TDataController::XMLToDataSet(DataSet& dataset, const std::string& xml) {
  ReadRows(dataset, nullptr, xml);
}

}  // namespace gateway
