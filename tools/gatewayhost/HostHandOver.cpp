#include "gatewayhost/HostHandOver.h"

namespace gateway::host {

HandOverStep::HandOverStep(IOperater& operater) {
  void* found = nullptr;
  if (operater.QueryInterface(kIID_IHandOver, &found) == kInterfaceOk) {
    hand_over_ = static_cast<IHandOver*>(found);
  }
}

HandOverStep::~HandOverStep() {
  if (hand_over_ == nullptr) return;
  try {
    hand_over_->Release();
  } catch (...) {
  }
}

void HandOverStep::Confirm() {
  if (hand_over_ != nullptr) hand_over_->Confirm();
}

void HandOverStep::Abandon() noexcept {
  if (hand_over_ == nullptr) return;
  try {
    hand_over_->Abandon();
  } catch (...) {
    // Abandon does not fail; should a module raise anyway, its transaction
    // still ends without commit when the host lets go of the step.
  }
}

}  // namespace gateway::host
