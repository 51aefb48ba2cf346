// TGlobleParams: the request-wide settings every request carries beside its
// operator pools (list separator, date format, factory, descriptive values),
// and the owner of the library's single data controller. There is one
// instance, GlobleParams(), between library start-up and shut-down.
#pragma once

#include <memory>
#include <string>

#include "config/RequestSettings.h"
#include "pools/BasePool.h"
#include "text/XmlDom.h"

namespace gateway {

class TDataController;

// The separator, the date format and the factory are kept in the
// TRequestSettings part, which the data and configuration code read through
// RequestSettings() while these parameters are the registered ones.
class TGlobleParams : public TBasePool, public TRequestSettings {
 public:
  // Loads the gateway configuration for KeepLog and AutoTrunc.
  TGlobleParams();
  ~TGlobleParams() override;

  // The data controller; created by CreateDataController (or by the first
  // factory lookup that needs it).
  TDataController* DataController() const { return data_controller_.get(); }
  void CreateDataController();

  // Selects the factory and looks up its database in the company table; runs
  // only when the code differs from the current one. A blank code selects the
  // connection's own database. A code the company table does not hold (or
  // that cannot be looked up) raises ERequestRefused naming it; when the
  // database cannot be reached the failure propagates. Either way both
  // Factory and the controller's Database are cleared, so that nothing runs
  // in another factory's database and the next request looks the code up
  // again.
  void SetFactory(const std::string& code);

  // Takes the request-wide settings of one request from its root element.
  // Every value comes from this request alone: one it leaves out is cleared,
  // and a null root (an empty request) reads as a request without any.
  // Raises what SetFactory raises.
  void ReadRequest(const XmlNode& root);

  bool IgnoreError = true;
  std::string User;
  std::string ObjectID;
  std::string Origin;
  bool KeepLog = false;
  bool AutoTrunc = false;

 protected:
  // The global parameters never appear in a response.
  void ToXML(std::string& xml) override;
  void FromXML(const std::string& xml) override;

 private:
  std::unique_ptr<TDataController> data_controller_;
};

// The one global-parameters object. Raises gateway::Exception outside
// StartupLibrary()/ShutdownLibrary().
TGlobleParams& GlobleParams();
bool GlobleParamsExist();

// Library start-up: reset the trace log, create the global parameters and
// their data controller. The module's load runs it; tests call it directly.
void StartupLibrary();
// Library shut-down: free the global parameters with their data controller.
void ShutdownLibrary();

}  // namespace gateway
