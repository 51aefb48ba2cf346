#include "data/Query.h"

#include "config/Errors.h"
#include "data/Connection.h"

namespace gateway {

Query::Query() = default;

Query::~Query() {
  statement_.reset();
  if (connection_ != nullptr) connection_->UnRegisterClient(*this);
}

void Query::SetConnection(Connection* connection) {
  if (connection == connection_) return;
  Close();
  statement_.reset();
  if (connection_ != nullptr) connection_->UnRegisterClient(*this);
  connection_ = connection;
  if (connection_ != nullptr) connection_->RegisterClient(*this);
}

void Query::SetConnectionString(std::string connection_string) {
  if (connection_string == connection_string_) return;
  Close();
  if (connection_ == nullptr) statement_.reset();
  own_connection_.reset();
  connection_string_ = std::move(connection_string);
}

std::string Query::SQLText() const {
  std::string text;
  for (const std::string& line : sql_) {
    text += line;
    text += '\n';
  }
  return text;
}

void Query::SetSQL(std::string_view text) {
  sql_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    sql_.emplace_back(line);
    start = end + 1;
  }
  SQLChanged();
}

void Query::AddSQL(std::string_view line) {
  sql_.emplace_back(line);
  SQLChanged();
}

void Query::ClearSQL() {
  sql_.clear();
  SQLChanged();
}

void Query::SetCommandText(std::string text) {
  statement_.reset();  // a prepared statement belongs to the old text
  command_text_ = std::move(text);
}

Parameters& Query::Params() {
  if (!params_) params_ = CreateParameters();
  return *params_;
}

std::unique_ptr<Parameters> Query::CreateParameters() { return std::make_unique<Parameters>(); }

void Query::SQLChanged() {
  Close();
  const std::string text = SQLText();
  if (command_type_ == cmdText && param_check_ && !sql_.empty()) {
    std::vector<std::string> names;
    SetCommandText(ParseParameterMarkers(text, &names));
    // The new list keeps the values of parameters whose names survive.
    auto fresh = CreateParameters();
    for (const std::string& name : names) {
      Parameter& item = fresh->Add(name);
      if (const Parameter* old = Params().FindParam(name)) {
        item.Assign(*old);
        item.SetName(name);
      }
    }
    params_ = std::move(fresh);
  } else {
    SetCommandText(text);
  }
}

Connection& Query::RequireConnection() {
  if (connection_ != nullptr) return *connection_;
  if (connection_string_.empty()) {
    throw EDatabaseError("The query has no connection: set a connection or a connection string");
  }
  if (!own_connection_) {
    own_connection_ = std::make_unique<Connection>();
    own_connection_->SetConnectionString(connection_string_);
  }
  return *own_connection_;
}

std::string Query::DriverText() const {
  if (command_type_ == cmdTable) return "select * from " + command_text_;
  return command_text_;
}

// The prepared statement, or a statement made for one run (kept in `temporary`).
DriverStatement& Query::Statement(std::unique_ptr<DriverStatement>& temporary) {
  // A statement prepared on a link that was lost goes with it: connecting
  // anew releases the statements of every query of the connection.
  if (statement_ && RequireConnection().Lost()) RequireConnection().Open();
  if (statement_) return *statement_;
  if (DriverText().find_first_not_of(" \t\r\n") == std::string::npos) {
    throw EDatabaseError("The query has no SQL text");
  }
  temporary = RequireConnection().Driver().Prepare(DriverText());
  return *temporary;
}

void Query::SetPrepared(bool prepared) {
  if (!prepared) {
    statement_.reset();
    return;
  }
  if (statement_) return;
  std::unique_ptr<DriverStatement> statement;
  Statement(statement);
  statement_ = std::move(statement);
}

void Query::DescribeParameters(Parameters& into) {
  std::unique_ptr<DriverStatement> temporary;
  Statement(temporary).DescribeParameters(into);
}

int64_t Query::ExecSQL() {
  std::unique_ptr<DriverStatement> temporary;
  DriverStatement& statement = Statement(temporary);
  return statement.Execute(Params(), command_timeout_);
}

std::shared_ptr<RecordStore> Query::OpenStore() {
  std::unique_ptr<DriverStatement> temporary;
  DriverStatement& statement = Statement(temporary);
  if (!statement.ReturnsRows()) {
    // Checked before running, so that opening never changes data by mistake.
    throw EDatabaseError("The statement returns no rows and cannot be opened; run it with "
                         "ExecSQL [statement: " + ShortenStatement(DriverText()) + "]");
  }
  ResultBuilder builder;
  statement.Open(Params(), command_timeout_, builder, !enable_bcd_);
  if (!builder.Defined()) throw EDatabaseError("The driver returned no result");
  SetReadOnly(lock_type_ == ltReadOnly);
  return builder.Finish();
}

}  // namespace gateway
