// The ERP tables of the demo database: every table and column the
// purchase-order statement reads, with declared types the SQLite driver maps
// to proper field types, Chinese names for the metadata file, and the value
// lists of coded columns. One description serves the CREATE TABLE statements,
// the inserts and the property metadata, so the three cannot drift apart.
#pragma once

#include <string>
#include <vector>

namespace gateway::demo {

struct Column {
  const char* id;        // column name; also the property ID in the metadata
  const char* sql_type;  // declared type: char(n), varchar(n), numeric(p,s), datetime
  const char* name;      // Chinese display name
  const char* note;      // what the metadata adds to the name ("" for nothing)
  const char* values;    // allowed values joined by ";" ("" for none)
};

struct Table {
  const char* name;
  const char* label;        // Chinese name of the table
  const char* primary_key;  // column list of the primary key
  std::vector<Column> columns;

  const Column& Find(const std::string& id) const;  // raises for an unknown column
  std::string CreateStatement() const;
  std::string InsertStatement() const;  // INSERT INTO name VALUES(?, ...)
};

// The tables every database holds (PURTC, PURTD, PURMA, CMSMF, CMSMV, CMSMB,
// CMSNA, CMSMC), in creation order.
const std::vector<Table>& ErpTables();
// The company table, held by the main database only.
const Table& CompanyTable();
const Table& TableNamed(const std::string& name);  // raises for an unknown table

// Metadata type letter of a declared type: "N" numeric, "D" datetime, "C" text.
const char* TypeLetter(const Column& column);
// Metadata size: n of char(n)/varchar(n), p of numeric(p,s), 19 for datetime.
int TypeSize(const Column& column);

}  // namespace gateway::demo
