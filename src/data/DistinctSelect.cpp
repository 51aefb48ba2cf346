// TDataController's distinct select over a dataset: the rows are copied into
// a temporary table on the server and selected from there with DISTINCT.
#include <string>
#include <vector>

#include "config/Clock.h"
#include "config/DateTimeFormat.h"
#include "data/Connection.h"
#include "data/DataController.h"
#include "data/DataSet.h"
#include "data/Dialect.h"
#include "gateway/Exception.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

// The column definition of a field in the temporary table; empty for the
// kinds the table leaves out (Boolean, large integer, FMT-BCD, bytes, ...).
std::string ColumnDefinition(const Field& field) {
  const std::string& name = field.FieldName();
  switch (field.DataType()) {
    case ftString: case ftFixedChar: case ftWideString: case ftGuid:
      return name + " varchar(" + std::to_string(field.Size()) + "),";
    case ftBCD: case ftFloat: case ftCurrency:
      return name + " numeric,";
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc:
      return name + " integer,";
    case ftDate: case ftTime: case ftDateTime:
      return name + " datetime,";
    case ftMemo:
      return name + " text,";
    case ftBlob: case ftGraphic:
      return name + " image,";
    default:
      return std::string();
  }
}

std::string Clause(const std::string& keyword, const std::string& text) {
  return Trim(text).empty() ? text : keyword + text;
}

}  // namespace

int64_t TDataController::CreateTempTable(const std::vector<Field*>& fields,
                                         const std::string& table_name) {
  std::string definitions;
  for (const Field* field : fields) {
    const std::string definition = ColumnDefinition(*field);
    if (!definition.empty()) definitions += " " + definition;
  }
  return ExecuteSQL(RequireConnection().GetDialect().CreateTempTable(table_name, definitions));
}

std::string TDataController::DistinctSelectToXML(DataSet& dataset,
                                                 const std::vector<std::string>& fields,
                                                 const std::string& where,
                                                 const std::string& order_by,
                                                 const std::string& node_name) {
  if (node_name.empty()) throw Exception("The node name is invalid!", -9009);
  dataset.CheckBrowseMode();
  std::vector<Field*> all_fields;
  for (int i = 0; i < dataset.FieldCount(); ++i) all_fields.push_back(&dataset.Fields(i));
  std::string select_list;
  for (const std::string& entry : fields) select_list += (select_list.empty() ? "" : ",") + entry;

  RequireConnection().BeginTrans();
  // The temporary table must never outlive the call: every way out rolls back.
  struct Rollback {
    TKvADOConnection& connection;
    ~Rollback() {
      try {
        if (connection.InTransaction()) connection.RollbackTrans();
      } catch (...) {
      }
    }
  } rollback{*connection_};

  const std::string table =
      "##" + std::string("WS_") + FormatDateTime("yyyymmddhhnnsszzz", LocalNow());
  CreateTempTable(all_fields, table);
  const std::string table_text = connection_->GetDialect().TempTableName(table);

  std::string columns;
  std::string markers;
  for (const Field* field : all_fields) {
    columns += ", " + field->FieldName();
    markers += ",:" + field->FieldName();
  }
  const std::string insert = ApplyDatabasePrefix("insert into " + table_text + " (" +
                                                 columns.substr(columns.empty() ? 0 : 1) +
                                                 ") values(" +
                                                 markers.substr(markers.empty() ? 0 : 1) + ")");
  {
    TMyAdoQuery& query = *GetQuery();
    struct Unprepare {
      TMyAdoQuery& query;
      ~Unprepare() { query.SetPrepared(false); }
    } unprepare{query};
    query.SetSQL(insert);
    query.SetPrepared(true);
    for (dataset.First(); !dataset.Eof(); dataset.Next()) {
      for (size_t i = 0; i < all_fields.size(); ++i) {
        query.Params().Items(static_cast<int>(i)).SetValue(all_fields[i]->Value());
      }
      query.ExecuteStatement();
    }
  }

  const std::string select = "select distinct " + select_list + " from " + table_text + " " +
                             Clause("where ", where) + " " + Clause("Order by ", order_by);
  TMyAdoQuery* result = QueryData(select);
  if (!result->Active()) return std::string();
  // The result goes back to the pool also when its conversion fails.
  struct CloseResult {
    TMyAdoQuery& query;
    ~CloseResult() { query.Close(); }
  } close{*result};
  return DataSetToXML(*result, false, "Data");
}

}  // namespace gateway
