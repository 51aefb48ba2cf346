#include "business/HandOver.h"

#include <exception>
#include <utility>

#include "config/Errors.h"
#include "data/DataController.h"
#include "pools/GlobleParams.h"

namespace gateway {

THandOver::THandOver(IOperater& operater, std::function<void(const std::string&)> abandoned)
    : operater_(operater), abandoned_handler_(std::move(abandoned)) {}

THandOver::~THandOver() { Rollback(); }

int32_t THandOver::QueryInterface(const Guid& iid, void** object) {
  if (object == nullptr) return kNoInterface;
  if (iid == kIID_IHandOver) {
    *object = static_cast<IHandOver*>(this);
    AddRef();
    return kInterfaceOk;
  }
  return operater_.QueryInterface(iid, object);
}

int32_t THandOver::AddRef() {
  ++host_references_;
  return operater_.AddRef();
}

int32_t THandOver::Release() {
  if (--host_references_ == 0) {
    AbandonKept(
        "The host let go of the confirm step before it confirmed the hand-over, so no order was "
        "marked");
  }
  // May end the operator, and this object with it.
  return operater_.Release();
}

void THandOver::Confirm() {
  if (!kept_) {
    if (!abandoned_.empty()) throw Exception(abandoned_);
    return;  // nothing was handed over
  }
  try {
    Commit();
  } catch (const std::exception& error) {
    const std::string reason =
        std::string("The hand-over could not be committed, so no order was marked: ") +
        error.what();
    abandoned_ = reason;
    if (abandoned_handler_) abandoned_handler_(reason);
    throw Exception(reason);
  }
}

void THandOver::Abandon() { AbandonKept("The hand-over was abandoned, so no order was marked"); }

void THandOver::AbandonKept(const std::string& reason) noexcept {
  if (!kept_) return;
  Rollback();
  try {
    abandoned_ = reason;
    if (abandoned_handler_) abandoned_handler_(reason);
  } catch (...) {
    // The rollback is what matters; the output keeps its earlier text.
  }
}

void THandOver::NewResponse() {
  Rollback();
  abandoned_.clear();
}

void THandOver::Begin() {
  Rollback();
  TDataController& controller = *GlobleParams().DataController();
  const TKvADOConnection* connection = controller.Connection();
  if (connection != nullptr && connection->InTransaction()) {
    // The connection is shared by every business object of the process.
    throw EDatabaseError(
        "Cannot begin the hand-over: another hand-over is open on the same connection, waiting "
        "for its host to confirm or abandon it");
  }
  controller.BeginHandOver();
  controller_ = &controller;
}

void THandOver::Commit() {
  TDataController* controller = LiveController();
  const bool was_open = Open();
  controller_ = nullptr;
  kept_ = false;
  if (!was_open) return;
  if (controller == nullptr) {
    throw EDatabaseError("The library was shut down before the hand-over was committed");
  }
  controller->Connection()->CommitTrans();
}

void THandOver::Rollback() noexcept {
  TDataController* controller = LiveController();
  controller_ = nullptr;
  kept_ = false;
  if (controller == nullptr || controller->Connection() == nullptr) return;
  TKvADOConnection& connection = *controller->Connection();
  if (!connection.InTransaction()) return;
  try {
    connection.RollbackTrans();  // closes the connection when it fails
  } catch (...) {
  }
}

TDataController* THandOver::LiveController() const {
  if (controller_ == nullptr || !GlobleParamsExist()) return nullptr;
  return GlobleParams().DataController() == controller_ ? controller_ : nullptr;
}

}  // namespace gateway
