// The confirm step of an operator (gateway/IHandOver.h) as the host uses it:
// a response is confirmed only once it is stored, and abandoned when it
// cannot be, so that the orders of a response that never arrived stay
// unmarked.
#pragma once

#include "gateway/IHandOver.h"
#include "gateway/IOperater.h"

namespace gateway::host {

class HandOverStep {
 public:
  // Asks the operator for its confirm step. An operator without one (Help)
  // leaves the step empty, and Confirm and Abandon do nothing.
  explicit HandOverStep(IOperater& operater);
  // Lets go of the step; the operator abandons a hand-over still open.
  ~HandOverStep();
  HandOverStep(const HandOverStep&) = delete;
  HandOverStep& operator=(const HandOverStep&) = delete;

  // True when the operator offers the confirm step. One that does not either
  // hands nothing over or commits by itself; the host cannot tell which.
  bool Offered() const { return hand_over_ != nullptr; }
  // Commits what the last Execute handed over. Raises the module's
  // gateway::Exception when it fails; nothing is handed over then.
  void Confirm();
  // Rolls back what the last Execute handed over; never fails.
  void Abandon() noexcept;

 private:
  IHandOver* hand_over_ = nullptr;
};

}  // namespace gateway::host
