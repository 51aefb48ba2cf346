// How SQLite's declared column types map to field types, and how a company
// database is attached to an SQLite connection (its file "<name>.db" beside the
// main database file, attached under its own name). Shared by the SQLite driver
// and by the ODBC driver when the ODBC driver reaches SQLite.
#pragma once

#include <string>
#include <string_view>

#include "data/FieldTypes.h"

namespace gateway {

// "varchar(20)" -> ftString of size 20, "datetime" -> ftDateTime, ... A type
// that says nothing about the values (no type at all, "any") gives ftUnknown:
// the column then takes the type of its first non-null value.
FieldDef FieldDefForDeclaredType(std::string_view declared);

// Raises EDatabaseError when the name cannot be a company database (empty,
// holding "/", "\\" or NUL, or starting with ".").
void CheckCompanyDatabaseName(std::string_view database);
// The file of a company database: "<folder of main_file>/<database>.db".
std::string CompanyDatabaseFile(std::string_view main_file, std::string_view database);
// "DB." for a plain name, "\"my db\"." for any other.
std::string SqliteSchemaPrefix(std::string_view database);
// ATTACH DATABASE '<file>' AS <database>, with the texts quoted.
std::string SqliteAttachStatement(std::string_view file, std::string_view database);

}  // namespace gateway
