#include "data/DataController.h"

#include <algorithm>

#include "config/AlertLog.h"
#include "config/ClassName.h"
#include "config/Errors.h"
#include "config/GatewayConfigU.h"
#include "config/GatewayPaths.h"
#include "config/StoredPassword.h"
#include "config/TraceLog.h"
#include "data/ConnectionItems.h"
#include "text/SqlTokens.h"
#include "text/TextCase.h"

namespace gateway {

TMyAdoQuery::~TMyAdoQuery() {
  if (OnDestroy) OnDestroy(*this);
}

TDataController::TDataController() = default;

TDataController::TDataController(TKvADOConnection* connection) : connection_(connection) {}

TDataController::~TDataController() {
  // Each query forgets itself through OnDestroy; it is out of the list first,
  // so the list never changes under this loop.
  while (!queries_.empty()) {
    std::unique_ptr<TMyAdoQuery> query = std::move(queries_.back());
    queries_.pop_back();
    query.reset();
  }
  ReleaseConnection();
}

void TDataController::ReleaseConnection() {
  if (!owned_connection_) return;
  try {
    CloseDataSets(*owned_connection_);
    if (owned_connection_->Connected()) owned_connection_->Close();
  } catch (...) {
  }
  connection_ = nullptr;
  owned_connection_.reset();
}

TKvADOConnection& TDataController::RequireConnection() {
  if (connection_ != nullptr) return *connection_;
  owned_connection_ = std::make_unique<TKvADOConnection>(GetGatewayRoot());
  connection_ = owned_connection_.get();
  connection_->SetLoginPrompt(false);
  try {
    SetConnectionParam();
  } catch (...) {
    // A connection whose configuration failed is not kept: the next call
    // configures a new one instead of running on an unconfigured string.
    connection_ = nullptr;
    owned_connection_.reset();
    throw;
  }
  return *connection_;
}

TMyAdoQuery* TDataController::GetQuery() {
  for (const auto& query : queries_) {
    if (!query->Active()) return query.get();
  }
  RequireConnection();
  auto query = std::make_unique<TMyAdoQuery>();
  query->SetLockType(ltBatchOptimistic);
  query->OnDestroy = [this](TMyAdoQuery& ending) { RemoveQuery(&ending); };
  query->SetConnection(connection_);
  queries_.push_back(std::move(query));
  return queries_.back().get();
}

void TDataController::RemoveQuery(TMyAdoQuery* query) {
  if (query == nullptr) return;
  for (auto it = queries_.begin(); it != queries_.end(); ++it) {
    if (it->get() == query) {
      // Called while the query ends: the list lets go without ending it twice.
      (void)it->release();
      queries_.erase(it);
      return;
    }
  }
}

void TDataController::SetConnectionParam() {
  TGatewayConfig& config = GatewayConfig();
  const std::string file = GetGatewayConfigFile();
  config.LoadFromFile(file);
  // The string as stored, but for its password: the stored scrambling is no
  // secret to anyone who knows it, so neither form may reach the log.
  WriteTrace(ClassNameOf(*this), "TDataController", "SetConnectionParam",
             "Connection.ConnectionString", MaskConnectionString(config.Provider));
  // Said here, where the file is known: the connection would only find that
  // the string names no provider.
  if (Trim(config.Provider).empty()) {
    if (file.empty() || !FileExists(file)) {
      throw EDatabaseError("No database connection is configured: GatewayConfig.ini is not in " +
                           DescribeGatewayRoot());
    }
    throw EDatabaseError("No database connection is configured: " + file +
                         " has no Provider in its [Connection] section");
  }
  connection_->SetConnectionString(DecodePasswordItem(config.Provider));
}

std::string TDataController::ApplyDatabasePrefix(const std::string& sql) {
  if (sql.find("$$") == std::string::npos) return sql;
  const std::string prefix =
      Trim(Database).empty() ? std::string() : RequireConnection().DatabasePrefix(Database);
  // Only the marker of the statement's own text: "$$" inside a literal (a
  // LIKE pattern, an order key) or a quoted name is data.
  return ReplaceSqlPrefixMarker(sql, prefix);
}

void TDataController::SetQuerySQL(TMyAdoQuery& query, const std::string& sql) {
  query.SetLastError("");
  try {
    query.SetSQL(ApplyDatabasePrefix(sql));
    // Both lines of a statement in one write, together even when other
    // processes log to the same file.
    WriteAlertLog("ProgramList", {" Database :" + Database, " Query.SQL.Text :" + query.SQLText()},
                  "D");
  } catch (const std::exception& error) {
    // A text that could not be set must not leave the previous statement in
    // place, where the next run would repeat it.
    query.SetLastError(error.what());
    try {
      query.ClearSQL();
    } catch (...) {
    }
  }
}

int64_t TDataController::ExecuteSQL(const std::string& sql) {
  TMyAdoQuery& query = *GetQuery();
  SetQuerySQL(query, sql);
  WriteTrace(ClassNameOf(*this), "TDataController", "ExecuteSQL", "SQL", sql);
  struct Unprepare {
    TMyAdoQuery& query;
    ~Unprepare() { query.SetPrepared(false); }
  } unprepare{query};
  if (query.SQL().empty() && !query.LastError().empty()) throw EDatabaseError(query.LastError());
  query.SetPrepared(true);
  return query.ExecuteStatement();
}

TMyAdoQuery* TDataController::QueryData(const std::string& sql) {
  TMyAdoQuery& query = *GetQuery();
  query.Close();
  query.SetLockType(ltBatchOptimistic);
  SetQuerySQL(query, sql);
  WriteTrace(ClassNameOf(*this), "TDataController", "QueryData", "SQL", sql);
  if (!connection_->Connected()) connection_->Open();
  try {
    query.Open();
    query.First();
  } catch (const std::exception& error) {
    if (query.LastError().empty()) query.SetLastError(error.what());
    query.Close();
    // A lost link to the database is a failure to reach it, not a statement
    // the database refused: it propagates, and the next query connects anew.
    if (connection_->Lost()) throw;
  }
  return &query;
}

void TDataController::BeginHandOver() {
  TKvADOConnection& connection = RequireConnection();
  if (!connection.Connected()) connection.Open();
  connection.BeginHandOver(connection.DatabasePrefix(Database));
}

TDataController::TLookup TDataController::LookupText(const std::string& sql,
                                                    const std::string& field) {
  TMyAdoQuery* query = QueryData(sql);
  TLookup lookup;
  if (!query->Active()) {
    lookup.Failure = query->LastError();
    return lookup;
  }
  struct CloseQuery {
    TMyAdoQuery& query;
    ~CloseQuery() { query.Close(); }
  } close{*query};
  if (query->Eof()) return lookup;
  lookup.Found = true;
  lookup.Text = query->FieldByName(field).AsString();
  return lookup;
}

}  // namespace gateway
