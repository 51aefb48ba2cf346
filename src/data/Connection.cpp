#include "data/Connection.h"

#include <algorithm>

#include "config/Errors.h"
#include "data/ConnectionItems.h"
#include "data/Query.h"
#include "data/odbc/OdbcDriver.h"
#include "data/sqlite/SqliteDriver.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

enum class Provider { kSqlite, kOdbc, kSqlServer };

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameTextAscii(text.substr(0, prefix.size()), prefix);
}

// Items that belong to the connection layer and never reach a driver.
bool IsLayerItem(std::string_view name) {
  return SameTextAscii(name, "Provider") || SameTextAscii(name, "Connect Timeout") ||
         SameTextAscii(name, "Command Timeout") || SameTextAscii(name, "Persist Security Info") ||
         SameTextAscii(name, "Extended Properties");
}

// ADO items a SQL Server provider takes, with their ODBC keywords.
struct Mapping {
  std::string_view ado;
  std::string_view odbc;
};
constexpr Mapping kSqlServerItems[] = {
    {"Data Source", "Server"},       {"Server", "Server"},
    {"Initial Catalog", "Database"}, {"Database", "Database"},
    {"User ID", "UID"},              {"UID", "UID"},
    {"Password", "PWD"},             {"PWD", "PWD"},
    {"Application Name", "APP"},     {"Workstation ID", "WSID"},
    {"Integrated Security", "Trusted_Connection"}, {"Driver", "Driver"}};

const Mapping* FindMapping(std::string_view name) {
  for (const Mapping& mapping : kSqlServerItems) {
    if (SameTextAscii(mapping.ado, name)) return &mapping;
  }
  return nullptr;
}

Provider ProviderOf(const std::vector<ConnectionItem>& items) {
  const std::string provider = FindConnectionItem(items, "Provider");
  if (provider.empty()) {
    if (HasConnectionItem(items, "Driver") || HasConnectionItem(items, "DSN")) return Provider::kOdbc;
    throw EDatabaseError(
        "The connection string names no provider: give Provider=SQLite with a Data Source, an "
        "ODBC Driver or DSN item, or a SQL Server provider");
  }
  if (SameTextAscii(provider, "SQLite") || SameTextAscii(provider, "SQLite3")) {
    return Provider::kSqlite;
  }
  if (StartsWithNoCase(provider, "MSDASQL")) return Provider::kOdbc;
  if (StartsWithNoCase(provider, "SQLOLEDB") || StartsWithNoCase(provider, "SQLNCLI") ||
      StartsWithNoCase(provider, "MSOLEDBSQL")) {
    return Provider::kSqlServer;
  }
  throw EDatabaseError("The provider '" + provider +
                       "' is not supported: use SQLite, MSDASQL (ODBC), SQLOLEDB, SQLNCLI or "
                       "MSOLEDBSQL");
}

// The items of an explicit "Extended Properties" item, which an ODBC provider
// passes on as part of the ODBC connection string.
std::vector<ConnectionItem> ExplicitExtendedItems(const std::vector<ConnectionItem>& items) {
  return SplitConnectionItems(FindConnectionItem(items, "Extended Properties"));
}

std::string OdbcPassThrough(const std::vector<ConnectionItem>& items) {
  std::vector<ConnectionItem> odbc;
  for (const ConnectionItem& item : items) {
    if (!IsLayerItem(item.Name)) odbc.push_back(item);
  }
  for (ConnectionItem& item : ExplicitExtendedItems(items)) odbc.push_back(std::move(item));
  return JoinOdbcItems(odbc);
}

std::string OdbcForSqlServer(const std::vector<ConnectionItem>& items) {
  std::vector<ConnectionItem> odbc;
  std::string driver = FindConnectionItem(items, "Driver");
  if (driver.empty()) driver = "FreeTDS";
  const bool freetds = SameTextAscii(driver, "FreeTDS");
  odbc.push_back({"Driver", driver});
  for (const ConnectionItem& item : items) {
    if (IsLayerItem(item.Name) || SameTextAscii(item.Name, "Driver")) continue;
    const Mapping* mapping = FindMapping(item.Name);
    if (mapping == nullptr) {
      // OLE DB properties ("Packet Size", "Auto Translate") mean nothing to an
      // ODBC driver; single-word items are ODBC keywords (Encrypt, Port,
      // TDS_Version) and pass.
      if (item.Name.find(' ') == std::string::npos) odbc.push_back(item);
      continue;
    }
    std::string value = item.Value;
    if (mapping->odbc == "Trusted_Connection") {
      if (!(SameTextAscii(value, "SSPI") || SameTextAscii(value, "true") ||
            SameTextAscii(value, "yes"))) {
        continue;
      }
      value = "yes";
    }
    if (mapping->odbc == "Server" && freetds) {
      // FreeTDS takes the port apart: "host,1433" -> Server=host;Port=1433.
      const size_t comma = value.find(',');
      if (comma != std::string::npos) {
        odbc.push_back({"Server", Trim(value.substr(0, comma))});
        odbc.push_back({"Port", Trim(value.substr(comma + 1))});
        continue;
      }
    }
    odbc.push_back({std::string(mapping->odbc), value});
  }
  if (freetds && !HasConnectionItem(odbc, "ClientCharset")) {
    odbc.push_back({"ClientCharset", "UTF-8"});  // text in UTF-8 through the narrow calls
  }
  return JoinOdbcItems(odbc);
}

std::string SqliteFile(const std::vector<ConnectionItem>& items, const std::string& base) {
  const std::string source = FindConnectionItem(items, "Data Source");
  if (source.empty()) {
    throw EDatabaseError("The SQLite connection string has no Data Source (the database file)");
  }
  if (source.front() == '/') return source;
  if (base.empty()) {
    throw EDatabaseError("The SQLite Data Source '" + source +
                         "' is a relative path, and no base directory was given to resolve it");
  }
  return base.back() == '/' ? base + source : base + "/" + source;
}

std::string JoinItems(const std::vector<ConnectionItem>& items) {
  std::string text;
  for (const ConnectionItem& item : items) {
    if (!text.empty()) text += ';';
    text += item.Name;
    text += '=';
    if (item.Value.find(';') == std::string::npos) {
      text += item.Value;
    } else {
      text += '"';
      text += ReplaceAll(item.Value, "\"", "\"\"");
      text += '"';
    }
  }
  return text;
}

}  // namespace

std::string ExtendedPropertiesOf(std::string_view connection_string) {
  const std::vector<ConnectionItem> items = SplitConnectionItems(connection_string);
  const Provider provider = ProviderOf(items);
  std::vector<ConnectionItem> extended;
  for (const ConnectionItem& item : items) {
    if (SameTextAscii(item.Name, "Provider") || SameTextAscii(item.Name, "Connect Timeout") ||
        SameTextAscii(item.Name, "Persist Security Info") ||
        SameTextAscii(item.Name, "Extended Properties")) {
      continue;
    }
    if (provider == Provider::kSqlite && SameTextAscii(item.Name, "Data Source")) continue;
    if (provider == Provider::kSqlServer && FindMapping(item.Name) != nullptr) continue;
    extended.push_back(item);
  }
  for (ConnectionItem& item : ExplicitExtendedItems(items)) extended.push_back(std::move(item));
  return JoinItems(extended);
}

std::string OdbcConnectionStringOf(std::string_view connection_string) {
  const std::vector<ConnectionItem> items = SplitConnectionItems(connection_string);
  switch (ProviderOf(items)) {
    case Provider::kOdbc:
      return OdbcPassThrough(items);
    case Provider::kSqlServer:
      return OdbcForSqlServer(items);
    default:
      return {};
  }
}

Connection::Connection(std::string base_directory) : base_directory_(std::move(base_directory)) {}

Connection::~Connection() {
  for (Query* query : datasets_) query->ConnectionGone();
  datasets_.clear();
  driver_.reset();
}

void Connection::SetConnectionString(std::string connection_string) {
  if (Connected() && connection_string != connection_string_) {
    throw EDatabaseError("Cannot change the connection string of an open connection");
  }
  connection_string_ = std::move(connection_string);
}

void Connection::Open() {
  if (Connected()) return;
  Close();  // a lost link: its statements and the connection go first
  const std::vector<ConnectionItem> items = SplitConnectionItems(connection_string_);
  switch (ProviderOf(items)) {
    case Provider::kSqlite:
      driver_ = ConnectSqlite(SqliteFile(items, base_directory_), connection_timeout_);
      break;
    case Provider::kOdbc:
    case Provider::kSqlServer: {
      const std::string odbc = OdbcConnectionStringOf(connection_string_);
      driver_ = ConnectOdbc(odbc, "ODBC data source (" + ConnectionTarget(odbc) + ")",
                            connection_timeout_);
      break;
    }
  }
  in_transaction_ = false;
}

void Connection::Close() {
  if (!driver_) return;
  for (Query* query : datasets_) query->ReleaseStatement();
  driver_.reset();  // an open transaction is rolled back by the driver
  in_transaction_ = false;
}

DriverConnection& Connection::Driver() {
  Open();
  return *driver_;
}

void Connection::BeginTrans() {
  DriverConnection& driver = Driver();
  if (in_transaction_) throw EDatabaseError("A transaction is already active on this connection");
  driver.BeginTransaction();
  in_transaction_ = true;
}

void Connection::BeginHandOver(std::string_view database_prefix) {
  DriverConnection& driver = Driver();
  if (in_transaction_) throw EDatabaseError("A transaction is already active on this connection");
  driver.BeginHandOver(database_prefix, connection_timeout_);
  in_transaction_ = true;
}

void Connection::CommitTrans() {
  if (!in_transaction_) throw EDatabaseError("No transaction is active on this connection");
  in_transaction_ = false;
  try {
    driver_->Commit();
  } catch (...) {
    // A commit that failed may leave the engine inside the transaction
    // (SQLite does when the database stays busy): end it, or the next
    // transaction could not begin and the changes would wait for a commit
    // that nobody sends.
    try {
      driver_->Rollback();
    } catch (...) {
      Close();
    }
    throw;
  }
}

void Connection::RollbackTrans() {
  if (!in_transaction_) throw EDatabaseError("No transaction is active on this connection");
  in_transaction_ = false;
  if (driver_->Lost()) return;
  try {
    driver_->Rollback();
  } catch (...) {
    // Closing the connection ends the transaction without commit.
    Close();
    throw;
  }
}

int64_t Connection::Execute(std::string_view sql) {
  const std::unique_ptr<DriverStatement> statement = Driver().Prepare(sql);
  Parameters none;
  return statement->Execute(none, command_timeout_);
}

std::string Connection::DatabasePrefix(std::string_view database) {
  if (Trim(database).empty()) return {};
  return Driver().DatabasePrefix(database);
}

const Dialect& Connection::GetDialect() { return Driver().GetDialect(); }

std::string Connection::ExtendedProperties() const {
  return ExtendedPropertiesOf(connection_string_);
}

Query& Connection::DataSets(int index) const {
  if (index < 0 || index >= DataSetCount()) {
    throw EDatabaseError("Dataset index " + std::to_string(index) + " out of range (there are " +
                         std::to_string(DataSetCount()) + " datasets)");
  }
  return *datasets_[static_cast<size_t>(index)];
}

void Connection::RegisterClient(Query& query) {
  if (std::find(datasets_.begin(), datasets_.end(), &query) == datasets_.end()) {
    datasets_.push_back(&query);
  }
}

void Connection::UnRegisterClient(Query& query) {
  datasets_.erase(std::remove(datasets_.begin(), datasets_.end(), &query), datasets_.end());
}

}  // namespace gateway
