// The module's exports: GetOperaters hands a host a new purchase-order business
// object, FreeBusiness ends one; GetModuleVersion and SetWarningHandler serve
// hosts that know them. Loading the module runs the library's start-up steps
// and unloading runs its shut-down steps.
#include "business/PurchaseOrder.h"

#include "business/Boundary.h"
#include "business/PurchaseOrderBusiness.h"
#include "config/Warnings.h"
#include "gateway/IBusiness.h"
#include "gateway/Version.h"
#include "pools/GlobleParams.h"

namespace {

// A failure here cannot reach anybody; GetOperaters starts the library again
// and then reports it.
__attribute__((constructor)) void LoadModule() {
  try {
    gateway::StartupLibrary();
  } catch (...) {
  }
}

__attribute__((destructor)) void UnloadModule() {
  try {
    gateway::ShutdownLibrary();
  } catch (...) {
  }
}

}  // namespace

extern "C" {

GATEWAY_API void GetOperaters(gateway::IBusiness** business) {
  gateway::RunAtBoundary([&] {
    gateway::StartupLibrary();  // does nothing when the load already started it
    auto created = std::make_unique<gateway::TPurchaseOrderBusiness>();
    *business = created.release();  // ended by FreeBusiness
  });
}

GATEWAY_API void FreeBusiness(gateway::IBusiness* business) {
  gateway::RunAtBoundary([&] {
    std::unique_ptr<gateway::TBusinessBase> ended(static_cast<gateway::TBusinessBase*>(business));
  });
}

GATEWAY_API const char* GetModuleVersion() { return GATEWAY_VERSION; }

GATEWAY_API void SetWarningHandler(WarningHandler handler) { gateway::SetWarningSink(handler); }

}  // extern "C"
