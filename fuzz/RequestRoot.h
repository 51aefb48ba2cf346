// A gateway root for running requests without a database: a temporary folder
// with tracing off and no connection configured, the purchase-order metadata
// (its two order keys and a text column), the library started in it and a
// purchase-order business object. A "GetData" execution there reads, checks
// and turns into SQL every part of its request, then stops where the
// statement would be sent. The request fuzzer and the request benchmark run
// in it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "business/PurchaseOrderBusiness.h"
#include "config/ModulePath.h"
#include "pools/GlobleParams.h"

namespace gateway::harness {

class RequestRoot {
 public:
  RequestRoot() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "gateway-request-root-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    std::filesystem::create_directories(folder_ + "/Bin");
    std::filesystem::create_directories(folder_ + "/Obj");
    std::ofstream(folder_ + "/GatewayConfig.ini") << "[Options]\nKeepLog=0\n";
    std::ofstream(folder_ + "/Obj/PurchaseOrder.xml")
        << "<Object ID=\"PURTC\"><PropertyList><Property ID=\"TC001\" Field=\"TC001\" "
           "IsKey=\"Y\"/><Property ID=\"TC002\" Field=\"TC002\" IsKey=\"Y\"/><Property "
           "ID=\"TC019\" Field=\"TC019\" Type=\"T\"/></PropertyList></Object>";
    SetModulePathForTesting(folder_ + "/Bin/PurchaseOrder.so");
    StartupLibrary();
    business_ = std::make_unique<TPurchaseOrderBusiness>();
    business_->Initialize("");
  }
  ~RequestRoot() {
    business_.reset();
    ShutdownLibrary();
    SetModulePathForTesting("");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  RequestRoot(const RequestRoot&) = delete;
  RequestRoot& operator=(const RequestRoot&) = delete;

  TBaseOperater& GetData() {
    return *static_cast<TBaseOperater*>(business_->GetOperaterList()->GetItem(0)->GetObject());
  }

 private:
  std::string folder_;
  std::unique_ptr<TPurchaseOrderBusiness> business_;
};

}  // namespace gateway::harness
