// TDataController: the single gateway between the operators and the ERP
// database. It owns one connection (made and configured on first use), keeps a
// pool of reusable queries, runs statements and queries with the factory
// database put in place of "$$", and converts datasets to and from the
// library's row XML. TMyAdoQuery is the query class of its pool.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/KvAdoConnection.h"
#include "data/KvAdoQuery.h"

namespace gateway {

class DataSet;
class Field;

// A pooled query. OnDestroy runs first when the query ends, whoever ends it.
class TMyAdoQuery : public TKvADOQuery {
 public:
  TMyAdoQuery() = default;
  ~TMyAdoQuery() override;

  std::function<void(TMyAdoQuery&)> OnDestroy;

  // Why the last open through QueryData failed (empty after a success): the
  // controller keeps failing statements silent, but not unexplained.
  const std::string& LastError() const { return last_error_; }
  void SetLastError(std::string error) { last_error_ = std::move(error); }

 private:
  std::string last_error_;
};

class TDataController {
 public:
  // A controller that makes and configures its own connection on first use.
  TDataController();
  // A controller over an existing connection, which it neither reconfigures nor frees.
  explicit TDataController(TKvADOConnection* connection);
  ~TDataController();
  TDataController(const TDataController&) = delete;
  TDataController& operator=(const TDataController&) = delete;

  // The current factory database; "$$" in statements stands for it.
  std::string Database;

  // Runs a statement that returns no rows; the rows affected. Failures propagate.
  int64_t ExecuteSQL(const std::string& sql);
  // Runs a query and returns the pooled query holding its result, open and on
  // its first row. A statement that fails raises nothing: the query is then
  // not active. A failure to reach the database (connecting, or a link lost
  // while the query ran) propagates.
  TMyAdoQuery* QueryData(const std::string& sql);
  // Begins the transaction of a hand-over on the connection (connecting
  // first): the request's reading and marking run inside it, and every other
  // hand-over on the same database waits until it ends (see
  // Connection::BeginHandOver). The factory database is attached first: SQLite
  // attaches only outside a transaction and locks every attached database
  // when it begins one. The connection's CommitTrans or RollbackTrans ends it.
  void BeginHandOver();
  // What a lookup found: the text of the field on the first row when there is
  // a row; why the statement failed when it did.
  struct TLookup {
    bool Found = false;
    std::string Text;
    std::string Failure;
  };
  // The text of `field` on the first row of `sql`'s result. The query goes
  // back to the pool.
  TLookup LookupText(const std::string& sql, const std::string& field);

  // The distinct rows of a dataset's `fields`, copied into a temporary table
  // on the server and selected from there (inside a transaction that is always
  // rolled back), as row XML.
  std::string DistinctSelectToXML(DataSet& dataset, const std::vector<std::string>& fields,
                                  const std::string& where, const std::string& order_by,
                                  const std::string& node_name);

  // Row XML of a dataset: `node_name` element holding "DataSet" (attribute
  // "Field": the column names) with one "Row" (attribute "Data") per record.
  // Without a field list every field is written, in field order.
  static std::string DataSetToXML(DataSet& dataset, const std::vector<std::string>& fields,
                                  bool include_hidden, const std::string& node_name);
  static std::string DataSetToXML(DataSet& dataset, bool include_hidden,
                                  const std::string& node_name);
  // The same text as DataSetToXML, appended to `out` row by row without
  // building a document. False, with `out` as it was, when a value has no
  // faithful written form (see AppendAttributeValue): DataSetToXML then
  // gives what the document makes of it.
  static bool AppendDataSetXML(std::string& out, DataSet& dataset,
                               const std::vector<std::string>& fields, bool include_hidden,
                               const std::string& node_name);
  static bool AppendDataSetXML(std::string& out, DataSet& dataset, bool include_hidden,
                               const std::string& node_name);
  // Appends the rows of row XML to a dataset; only the listed fields (every
  // field, without a list) take values.
  static void XMLToDataSet(DataSet& dataset, const std::vector<std::string>& fields,
                           const std::string& xml);
  static void XMLToDataSet(DataSet& dataset, const std::string& xml);
  // A field by name, searched in nested datasets (depth first) when the
  // dataset has none of its own.
  static Field* FindFieldDeep(DataSet& dataset, const std::string& name);

  // Internal steps, public for the operators and tests that need them.
  TMyAdoQuery* GetQuery();
  void RemoveQuery(TMyAdoQuery* query);
  void SetConnectionParam();
  void SetQuerySQL(TMyAdoQuery& query, const std::string& sql);
  int64_t CreateTempTable(const std::vector<Field*>& fields, const std::string& table_name);
  // Every "$$" marker of the statement (not one inside a literal, quoted name
  // or comment) replaced by the factory database's prefix (nothing when
  // Database is blank).
  std::string ApplyDatabasePrefix(const std::string& sql);

  TKvADOConnection* Connection() const { return connection_; }
  bool OwnsConnection() const { return owned_connection_ != nullptr; }
  const std::vector<std::unique_ptr<TMyAdoQuery>>& Queries() const { return queries_; }

 private:
  // The connection, made and configured from the gateway configuration first
  // when the controller has none.
  TKvADOConnection& RequireConnection();
  void ReleaseConnection();

  std::unique_ptr<TKvADOConnection> owned_connection_;
  TKvADOConnection* connection_ = nullptr;
  std::vector<std::unique_ptr<TMyAdoQuery>> queries_;
};

}  // namespace gateway
