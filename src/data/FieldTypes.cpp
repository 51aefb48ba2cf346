#include "data/FieldTypes.h"

namespace gateway {

const char* FieldTypeName(FieldType type) {
  static const char* const kNames[] = {
      "ftUnknown", "ftString",  "ftFixedChar", "ftWideString", "ftGuid",    "ftSmallint",
      "ftInteger", "ftWord",    "ftLargeint",  "ftAutoInc",    "ftBoolean", "ftFloat",
      "ftCurrency", "ftBCD",    "ftFMTBcd",    "ftDate",       "ftTime",    "ftDateTime",
      "ftMemo",    "ftBlob",    "ftGraphic",   "ftBytes",      "ftDataSet"};
  return type <= ftDataSet ? kNames[type] : kNames[0];
}

bool IsTextType(FieldType type) {
  return type == ftString || type == ftFixedChar || type == ftWideString || type == ftGuid ||
         type == ftMemo;
}

bool IsIntegerType(FieldType type) {
  return type == ftSmallint || type == ftInteger || type == ftWord || type == ftLargeint ||
         type == ftAutoInc;
}

bool IsDateTimeType(FieldType type) {
  return type == ftDate || type == ftTime || type == ftDateTime;
}

bool IsBinaryType(FieldType type) { return type == ftBlob || type == ftGraphic || type == ftBytes; }

bool IsDecimalType(FieldType type) {
  return type == ftCurrency || type == ftBCD || type == ftFMTBcd;
}

}  // namespace gateway
