// A gateway root for the tests of the data controller and the global
// parameters: a temporary folder with the library placed at ROOT/Bin, a
// GatewayConfig.ini whose connection string the test chooses, a registry file
// whose client path receives the alert logs, a fixed clock, and the shared
// configuration and the library's global state put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/Clock.h"
#include "config/ConfigTestSupport.h"
#include "config/GatewayConfigU.h"
#include "config/TraceLog.h"
#include "data/DataTestSupport.h"
#include "pools/GlobleParams.h"

namespace gateway::testing_data {

class GatewayRoot {
 public:
  GatewayRoot()
      : module_(root_.Path("Bin/PurchaseOrder.so")),
        registry_("GATEWAY_REGISTRY", root_.Path("registry.ini")),
        clock_(DateTime{2024, 1, 5, 9, 30, 15, 123}),
        saved_config_(GatewayConfig()) {
    testing::WriteFile(root_.Path("registry.ini"),
                       "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine]\nClientPath=" +
                           root_.Path("client") + "\n");
  }
  ~GatewayRoot() {
    ShutdownLibrary();
    SetTraceSwitchProvider(nullptr);
    GatewayConfig() = saved_config_;
  }
  GatewayRoot(const GatewayRoot&) = delete;
  GatewayRoot& operator=(const GatewayRoot&) = delete;

  std::string Path(const std::string& relative = "") const { return root_.Path(relative); }
  // The main ERP database file and a company database file beside it.
  std::string DatabaseFile() const { return root_.Path("erp.db"); }
  std::string CompanyFile(const std::string& name) const { return root_.Path(name + ".db"); }

  // GatewayConfig.ini with the whole connection string as the Provider value.
  void WriteConfig(const std::string& connection_string, bool keep_log = true) const {
    testing::WriteFile(root_.Path("GatewayConfig.ini"),
                       std::string("[Options]\nKeepLog=") + (keep_log ? "1" : "0") +
                           "\nAutoTrunc=1\n[Connection]\nProvider=" + connection_string + "\n");
  }

  // The connection string of the main database through the given driver.
  std::string ConnectionString(DriverKind kind) const {
    return ConnectionStringFor(kind, DatabaseFile());
  }

  std::string TraceLog() const {
    return testing::ReadFile(root_.Path("Bin/Log/PurchaseOrder.Log"));
  }
  std::string ProgramListLog() const {
    return testing::ReadFile(root_.Path("client/Log/Alert_ProgramList_20240105.log"));
  }

  // Every file below the root but the databases, for texts that must appear nowhere.
  std::vector<std::string> LogFiles() const {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root_.Path())) {
      if (entry.is_regular_file() && entry.path().extension() != ".db") {
        files.push_back(entry.path().string());
      }
    }
    return files;
  }

 private:
  testing::TempFolder root_;
  testing::ScopedModulePath module_;
  testing::ScopedEnv registry_;
  ScopedClockForTesting clock_;
  TGatewayConfig saved_config_;
};

}  // namespace gateway::testing_data
