#include "business/UnwritableValue.h"

#include <cstdio>

#include "business/OrderKeys.h"
#include "data/DataController.h"
#include "data/DataSet.h"
#include "data/FieldTypes.h"
#include "text/XmlAttributeText.h"

namespace gateway {

namespace {

// The purchase-order line number, named beside the order keys when the
// result has it.
constexpr const char* kLineKey = "TD003";

// What is wrong at `offset` of `text`, with the bytes shown in hexadecimal.
std::string DescribeCharacter(const std::string& text, size_t offset) {
  const auto lead = static_cast<unsigned char>(text[offset]);
  std::string bytes;
  for (size_t i = offset; i < text.size() && i < offset + 4; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%s%02X", bytes.empty() ? "" : " ",
                  static_cast<unsigned char>(text[i]));
    bytes += hex;
  }
  const std::string where = " at byte " + std::to_string(offset + 1);
  if (lead < 0x80) return "a control character (" + bytes.substr(0, 2) + ")" + where;
  return "bytes that are not UTF-8, or a character XML does not allow (" + bytes + ")" + where;
}

std::string KeyText(const DataSet& rows, const char* key) {
  const Field* field = rows.FindField(key);
  return std::string(key) + " '" + (field != nullptr ? field->AsString() : std::string("?")) + "'";
}

}  // namespace

std::string DescribeUnwritableValue(DataSet& rows, const std::vector<std::string>& delivered) {
  if (!rows.Active()) return {};
  for (rows.First(); !rows.Eof(); rows.Next()) {
    for (const std::string& name : delivered) {
      const Field* field = TDataController::FindFieldDeep(rows, name);
      // Date-times are written in the request's format, never as stored.
      if (field == nullptr || (IsDateTimeType(field->DataType()) && !field->HoldsRawText())) continue;
      const std::string text = field->AsString();
      const size_t offset = UnwritableCharacterOffset(text);
      if (offset == std::string::npos) continue;
      std::string row = "order " + KeyText(rows, kOrderKeys[0]) + ", " + KeyText(rows, kOrderKeys[1]);
      if (rows.FindField(kLineKey) != nullptr) row += ", line " + KeyText(rows, kLineKey);
      return "The column " + field->FieldName() + " of " + row + " holds " +
             DescribeCharacter(text, offset) +
             ", which a response cannot carry: correct the value in the database";
    }
  }
  return {};
}

}  // namespace gateway
