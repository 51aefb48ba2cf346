#include "data/sqlite/SqliteTypes.h"

#include <charconv>
#include <vector>

#include "config/Errors.h"
#include "data/Dialect.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

struct TypeName {
  std::string base;       // lower case, single blanks
  std::vector<int> args;  // the numbers in parentheses
};

TypeName ParseTypeName(std::string_view declared) {
  TypeName result;
  const size_t open = declared.find('(');
  const std::string base = LowerCaseAscii(Trim(declared.substr(0, open)));
  bool blank = false;
  for (const char c : base) {
    if (static_cast<unsigned char>(c) <= 0x20) {
      blank = true;
      continue;
    }
    if (blank && !result.base.empty()) result.base += ' ';
    blank = false;
    result.base += c;
  }
  if (open != std::string_view::npos) {
    const size_t close = declared.find(')', open);
    std::string_view inside = declared.substr(open + 1, close == std::string_view::npos
                                                            ? std::string_view::npos
                                                            : close - open - 1);
    while (!inside.empty()) {
      const size_t comma = inside.find(',');
      const std::string item = Trim(inside.substr(0, comma));
      int value = 0;
      const auto parsed = std::from_chars(item.data(), item.data() + item.size(), value);
      if (parsed.ec == std::errc() && parsed.ptr == item.data() + item.size()) {
        result.args.push_back(value);
      } else if (SameTextAscii(item, "max")) {
        result.args.push_back(0);
      }
      if (comma == std::string_view::npos) break;
      inside.remove_prefix(comma + 1);
    }
  }
  return result;
}

bool IsOneOf(const std::string& name, std::initializer_list<std::string_view> names) {
  for (const std::string_view candidate : names) {
    if (name == candidate) return true;
  }
  return false;
}

}  // namespace

FieldDef FieldDefForDeclaredType(std::string_view declared) {
  FieldDef def;
  const TypeName type = ParseTypeName(declared);
  const std::string& name = type.base;
  const int first = type.args.empty() ? 0 : type.args[0];
  if (name.empty()) return def;
  if (IsOneOf(name, {"datetime", "timestamp", "smalldatetime", "datetime2", "datetimeoffset"})) {
    def.DataType = ftDateTime;
  } else if (name == "date") {
    def.DataType = ftDate;
  } else if (name == "time") {
    def.DataType = ftTime;
  } else if (IsOneOf(name, {"char", "nchar", "character", "national character"})) {
    def.DataType = ftFixedChar;
    def.Size = type.args.empty() ? 1 : first;
    def.Attributes = faFixed;
  } else if (IsOneOf(name, {"varchar", "nvarchar", "varchar2", "nvarchar2", "character varying",
                            "varying character", "national varchar", "string"})) {
    // varchar(max) reads as a memo.
    def.DataType = (!type.args.empty() && first == 0) ? ftMemo : ftString;
    def.Size = first;
  } else if (IsOneOf(name, {"text", "ntext", "clob", "memo", "longtext", "mediumtext",
                            "tinytext", "long varchar"})) {
    def.DataType = ftMemo;
  } else if (IsOneOf(name, {"int", "integer", "mediumint", "int4", "int32"})) {
    def.DataType = ftInteger;
  } else if (IsOneOf(name, {"smallint", "int2", "int16"})) {
    def.DataType = ftSmallint;
  } else if (name == "tinyint") {
    def.DataType = ftWord;
  } else if (IsOneOf(name, {"bigint", "int8", "int64", "unsigned big int"})) {
    def.DataType = ftLargeint;
  } else if (IsOneOf(name, {"bit", "boolean", "bool", "logical"})) {
    def.DataType = ftBoolean;
  } else if (IsOneOf(name, {"real", "float", "double", "double precision", "float8", "float4"})) {
    def.DataType = ftFloat;
  } else if (IsOneOf(name, {"money", "smallmoney", "currency"})) {
    def.DataType = ftCurrency;
    def.Precision = 19;
    def.NumericScale = 4;
  } else if (IsOneOf(name, {"decimal", "numeric", "number", "dec"})) {
    if (type.args.empty()) {
      // Without a precision SQLite may hold any number here; a float keeps it.
      def.DataType = ftFloat;
    } else {
      def.Precision = first;
      def.NumericScale = type.args.size() > 1 ? type.args[1] : 0;
      def.DataType = (def.Precision <= 18 && def.NumericScale <= 4) ? ftBCD : ftFMTBcd;
    }
  } else if (IsOneOf(name, {"blob", "image", "longblob", "mediumblob"})) {
    def.DataType = ftBlob;
  } else if (IsOneOf(name, {"binary", "varbinary"})) {
    def.DataType = (!type.args.empty() && first == 0) ? ftBlob : ftBytes;
    def.Size = first;
    if (name == "binary") def.Attributes = faFixed;
  } else if (IsOneOf(name, {"uniqueidentifier", "guid", "uuid"})) {
    def.DataType = ftGuid;
    def.Size = 38;
  } else if (name.find("int") != std::string::npos) {
    def.DataType = ftLargeint;  // SQLite's integer affinity
  } else if (name.find("char") != std::string::npos || name.find("clob") != std::string::npos ||
             name.find("text") != std::string::npos) {
    def.DataType = ftString;
    def.Size = first;
  } else if (name.find("blob") != std::string::npos) {
    def.DataType = ftBlob;
  } else if (name.find("real") != std::string::npos || name.find("floa") != std::string::npos ||
             name.find("doub") != std::string::npos) {
    def.DataType = ftFloat;
  }
  return def;
}

void CheckCompanyDatabaseName(std::string_view database) {
  const bool bad = database.empty() || database.front() == '.' ||
                   database.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos;
  if (bad) {
    throw EDatabaseError("'" + std::string(database) +
                         "' cannot name a company database: it must be a plain file name");
  }
}

std::string CompanyDatabaseFile(std::string_view main_file, std::string_view database) {
  const size_t slash = main_file.rfind('/');
  const std::string folder =
      slash == std::string_view::npos ? std::string(".") : std::string(main_file.substr(0, slash));
  return folder + "/" + std::string(database) + ".db";
}

std::string SqliteSchemaPrefix(std::string_view database) {
  return SqliteDialect().CompanyPrefix(database);
}

std::string SqliteAttachStatement(std::string_view file, std::string_view database) {
  const std::string prefix = SqliteSchemaPrefix(database);
  return "ATTACH DATABASE '" + ReplaceAll(file, "'", "''") + "' AS " +
         prefix.substr(0, prefix.size() - 1);
}

}  // namespace gateway
