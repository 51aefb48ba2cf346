// The kinds of values a field or parameter holds, named as the dataset layer's
// callers speak of them (ftString, ftInteger, ...), with the attribute flags of
// field definitions and parameters and the few type classes the layer and its
// callers test for.
#pragma once

#include <cstdint>
#include <string>

namespace gateway {

enum FieldType : uint8_t {
  ftUnknown,
  ftString,      // variable-length text with a declared size
  ftFixedChar,   // fixed-length text, padded with blanks by the database
  ftWideString,  // national-character text (UTF-8 here like every other text)
  ftGuid,        // a GUID in its text form "{xxxxxxxx-...}"
  ftSmallint,    // 16-bit signed
  ftInteger,     // 32-bit signed
  ftWord,        // 16-bit unsigned
  ftLargeint,    // 64-bit signed
  ftAutoInc,     // 32-bit signed, assigned by the database
  ftBoolean,
  ftFloat,       // double precision
  ftCurrency,    // fixed point with four decimals
  ftBCD,         // decimal with at most 18 digits and 4 decimals, held like ftCurrency
  ftFMTBcd,      // decimal of any precision, held exactly as its decimal text
  ftDate,
  ftTime,
  ftDateTime,
  ftMemo,        // long text
  ftBlob,        // long binary data
  ftGraphic,     // long binary data holding a picture
  ftBytes,       // binary data with a declared size
  ftDataSet,     // a nested dataset (the field holds no value of its own)
};

// The name as written in code ("ftString"); "ftUnknown" for values out of range.
const char* FieldTypeName(FieldType type);

// Type classes.
bool IsTextType(FieldType type);      // string, fixed char, wide string, GUID, memo
bool IsIntegerType(FieldType type);   // smallint, integer, word, largeint, auto-increment
bool IsDateTimeType(FieldType type);  // date, time, date-time
bool IsBinaryType(FieldType type);    // blob, graphic, bytes
bool IsDecimalType(FieldType type);   // currency, BCD, FMT-BCD

// Field-definition attributes, combined as a bit set.
enum FieldAttribute : uint8_t {
  faHiddenCol = 1,
  faReadonly = 2,
  faRequired = 4,  // the column does not accept nulls
  faFixed = 8,     // fixed-length text or bytes
};
using FieldAttributes = uint8_t;

// The definition of one column of a result or dataset.
struct FieldDef {
  std::string Name;
  FieldType DataType = ftUnknown;
  int Size = 0;  // characters or bytes for text and bytes; the scale for BCD; 0 otherwise
  int Precision = 0;
  int NumericScale = 0;
  FieldAttributes Attributes = 0;
};

// Direction of a statement parameter.
enum ParameterDirection : uint8_t { pdUnknown, pdInput, pdOutput, pdInputOutput, pdReturnValue };

// Parameter attributes, combined as a bit set.
enum ParameterAttribute : uint8_t { paSigned = 1, paNullable = 2, paLong = 4 };
using ParameterAttributes = uint8_t;

}  // namespace gateway
