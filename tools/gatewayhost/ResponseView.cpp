#include "gatewayhost/ResponseView.h"

#include <algorithm>
#include <utility>

#include "gatewayhost/TextWidth.h"

namespace gateway::host {

namespace {

constexpr std::string_view kColumnGap = "  ";

// No line of the view ends in blanks.
std::string WithoutTrailingBlanks(std::string line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

// "72 rows", or "72 rows, the first 10 shown" when not all are.
std::string RowCount(size_t rows, std::optional<size_t> max_rows, std::string_view one,
                     std::string_view many) {
  std::string text = std::to_string(rows) + " " + std::string(rows == 1 ? one : many);
  if (max_rows && *max_rows < rows) text += ", the first " + std::to_string(*max_rows) + " shown";
  return text;
}

// One line of cells, each padded to its column's width; the last cell is not
// padded, so no line ends in blanks.
std::string Line(const std::vector<std::string>& cells, const std::vector<size_t>& widths) {
  std::string line;
  for (size_t column = 0; column < widths.size(); ++column) {
    const std::string cell = column < cells.size() ? cells[column] : std::string();
    if (column > 0) line += kColumnGap;
    line += cell;
    if (column + 1 < widths.size()) line.append(widths[column] - DisplayWidth(cell), ' ');
  }
  return WithoutTrailingBlanks(std::move(line)) + "\n";
}

// "Label: text" with the label padded, so that the texts of a block line up;
// an empty label continues the text above.
std::string Field(std::string_view label, std::string_view text) {
  std::string line(label);
  if (!line.empty()) line += ":";
  line.append(line.size() < 10 ? 10 - line.size() : 1, ' ');
  line += OneLine(text);
  return WithoutTrailingBlanks(std::move(line)) + "\n";
}

std::string RenderObject(const ObjectDescription& object, std::optional<size_t> max_rows) {
  std::string view = Field("Object", object.id);
  view += Field("Name", object.name);
  view += Field("Desc", object.desc);
  if (object.memos.empty()) view += Field("Memos", "(none)");
  for (size_t i = 0; i < object.memos.size(); ++i) {
    view += Field(i == 0 ? "Memos" : "", object.memos[i]);
  }
  std::string methods;
  for (const std::string& method : object.methods)
    methods += (methods.empty() ? "" : ", ") + method;
  view += Field("Methods", methods.empty() ? "(none)" : methods);
  view += "Properties (" +
          RowCount(object.properties.rows.size(), max_rows, "property", "properties") + "):\n";
  return view + RenderTable(object.properties, max_rows);
}

}  // namespace

std::string RenderTable(const TextTable& table, std::optional<size_t> max_rows) {
  const size_t shown = std::min(table.rows.size(), max_rows.value_or(table.rows.size()));
  std::vector<std::string> header;
  for (const std::string& name : table.header) header.push_back(OneLine(name));
  std::vector<std::vector<std::string>> rows;
  size_t columns = header.size();
  for (size_t i = 0; i < shown; ++i) {
    std::vector<std::string> cells;
    for (const std::string& value : table.rows[i]) cells.push_back(OneLine(value));
    columns = std::max(columns, cells.size());
    rows.push_back(std::move(cells));
  }

  // Every column at least one wide, so that its rule shows.
  std::vector<size_t> widths(columns, 1);
  auto widen = [&](const std::vector<std::string>& cells) {
    for (size_t column = 0; column < cells.size(); ++column) {
      widths[column] = std::max(widths[column], DisplayWidth(cells[column]));
    }
  };
  widen(header);
  for (const auto& cells : rows) widen(cells);

  std::vector<std::string> rules;
  for (const size_t width : widths) rules.emplace_back(width, '-');
  std::string view = Line(header, widths) + Line(rules, widths);
  for (const auto& cells : rows) view += Line(cells, widths);
  return view;
}

std::string RenderResponse(const ResponseContent& content, std::optional<size_t> max_rows) {
  if (!content.is_xml) return "(the response is not XML)\n";
  std::string view;
  for (const ResponsePart& part : content.parts) {
    switch (part.kind) {
      case ResponsePart::Kind::kDataSet:
        view += "DataSet (" + RowCount(part.table.rows.size(), max_rows, "row", "rows") + "):\n";
        view += RenderTable(part.table, max_rows);
        break;
      case ResponsePart::Kind::kObject:
        view += RenderObject(part.object, max_rows);
        break;
      case ResponsePart::Kind::kText:
        view += Field(part.name, part.text);
        break;
    }
  }
  if (content.error) view += Field("Error", *content.error);
  view += Field("Status", content.status.value_or("(none)"));
  return view;
}

}  // namespace gateway::host
