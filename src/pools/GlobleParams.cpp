#include "pools/GlobleParams.h"

#include <optional>

#include "config/Errors.h"
#include "config/GatewayConfigU.h"
#include "config/GatewayPaths.h"
#include "config/LogAppender.h"
#include "config/TraceLog.h"
#include "data/DataController.h"
#include "gateway/Exception.h"
#include "text/TextCase.h"
#include "text/XmlText.h"

namespace gateway {

namespace {

std::unique_ptr<TGlobleParams>& Instance() {
  static std::unique_ptr<TGlobleParams> instance;
  return instance;
}

}  // namespace

TGlobleParams::TGlobleParams() {
  TGatewayConfig& config = GatewayConfig();
  config.LoadFromFile(GetGatewayConfigFile());
  KeepLog = config.KeepLog;
  AutoTrunc = config.AutoTrunc;
}

TGlobleParams::~TGlobleParams() = default;

void TGlobleParams::CreateDataController() { data_controller_ = std::make_unique<TDataController>(); }

void TGlobleParams::ToXML(std::string& xml) { xml.clear(); }

void TGlobleParams::FromXML(const std::string& xml) {
  ReadRequest(LoadNormalizedXml(xml).DocumentElement());
}

void TGlobleParams::ReadRequest(const XmlNode& root) {
  // A value the request leaves out is cleared: every request states its own,
  // and a text that is not XML states none (GetChildText of a null node is
  // empty), so no setting of an earlier request is ever used for it.
  ObjectID = GetChildText(root, "ObjectID");
  DateFormat = GetChildText(root, "DateFormat");
  Seperator = GetChildText(root, "Seperator");
  IgnoreError = GetChildText(root, "IgnoreError") == "Y";
  User = GetChildText(root, "User");
  Origin = GetChildText(root, "Origin");
  SetFactory(GetChildText(root, "Factory"));
  if (const auto auto_trunc = root.IsNull() ? std::nullopt : root.Attribute("AutoTrunc")) {
    AutoTrunc = *auto_trunc == "Y";
  } else {
    AutoTrunc = GatewayConfig().AutoTrunc;
  }
}

void TGlobleParams::SetFactory(const std::string& code) {
  if (code == Factory) return;
  if (!data_controller_) CreateDataController();
  TDataController& controller = *data_controller_;
  Factory = code;
  if (Trim(code).empty()) {
    controller.Database.clear();
    return;
  }
  // The code is quoted with its apostrophes doubled: it comes from the request
  // and must not be able to end the literal.
  const std::string sql =
      "select MB003 from KVTMB where MB001='" + ReplaceAll(code, "'", "''") + "'";
  TDataController::TLookup lookup;
  try {
    lookup = controller.LookupText(sql, "MB003");
  } catch (...) {
    // The database could not be reached. Neither the previous factory's
    // database nor the new code may stay: a later request with the same code
    // would skip the lookup and run against the wrong company.
    Factory.clear();
    controller.Database.clear();
    throw;
  }
  if (!lookup.Found) {
    // Without its database the request would run in the connection's own
    // database and hand over that company's orders.
    Factory.clear();
    controller.Database.clear();
    if (!lookup.Failure.empty()) {
      throw ERequestRefused("The factory [" + code +
                            "] cannot be looked up in the company table KVTMB: " + lookup.Failure);
    }
    throw ERequestRefused("The factory [" + code +
                          "] is not in the company table KVTMB, so there is no database to "
                          "run the request in");
  }
  controller.Database = lookup.Text;
}

TGlobleParams& GlobleParams() {
  if (!Instance()) throw Exception("The global parameters do not exist: the library is not started");
  return *Instance();
}

bool GlobleParamsExist() { return Instance() != nullptr; }

void StartupLibrary() {
  if (Instance()) return;
  ResetTraceLog();
  auto params = std::make_unique<TGlobleParams>();
  params->CreateDataController();
  Instance() = std::move(params);
  SetRequestSettings(Instance().get());
  SetTraceSwitchProvider([] { return Instance() ? Instance()->KeepLog : false; });
}

void ShutdownLibrary() {
  SetTraceSwitchProvider(nullptr);
  SetRequestSettings(nullptr);
  Instance().reset();
  // A library unloaded holds no log file open.
  CloseLogFiles();
}

}  // namespace gateway
