// THandOver: the database transaction in which an operator reads the rows it
// returns and marks them as handed over, and the confirm step (IHandOver) a
// host may ask the operator for. Without the confirm step the operator
// commits before Execute returns; with it, the transaction stays open (Keep)
// until the host confirms or abandons it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "gateway/IHandOver.h"
#include "gateway/IOperater.h"

namespace gateway {

class TDataController;

class THandOver final : public IHandOver {
 public:
  // `operater` owns this object; every host reference to IHandOver holds a
  // reference to the operator. `abandoned` rewrites the operator's output
  // when a kept hand-over ends without commit; it gets the reason.
  THandOver(IOperater& operater, std::function<void(const std::string& reason)> abandoned);
  // Rolls back a hand-over still open.
  ~THandOver();
  THandOver(const THandOver&) = delete;
  THandOver& operator=(const THandOver&) = delete;

  // IHandOver answers for itself; every other interface is the operator's.
  int32_t QueryInterface(const Guid& iid, void** object) override;
  int32_t AddRef() override;
  // The last host reference switches the confirm step off, abandoning a
  // kept hand-over.
  int32_t Release() override;
  bool Pending() override { return kept_; }
  void Confirm() override;
  void Abandon() override;

  // True while a host holds IHandOver.
  bool ConfirmStep() const { return host_references_ > 0; }
  // True while a transaction of this hand-over is open.
  bool Open() const { return controller_ != nullptr; }

  // A new execution starts: one still open is rolled back (the output it
  // wrote is about to be replaced), and a former abandonment is forgotten.
  void NewResponse();
  // Begins the transaction on the data controller, before the rows are read.
  // Raises when it cannot, with nothing open.
  void Begin();
  // Commits; raises when the commit fails, after rolling back.
  void Commit();
  // Rolls back; never fails (a failed rollback closes the connection).
  void Rollback() noexcept;
  // Leaves the open transaction for the host's Confirm or Abandon.
  void Keep() { kept_ = Open(); }
  // Ends a kept hand-over without commit and reports `reason` through the
  // operator's output; later Confirm calls raise it. Does nothing when none
  // is kept.
  void AbandonKept(const std::string& reason) noexcept;

 private:
  // The data controller the open transaction runs on, while it still exists
  // (a library shut down has closed its connection, which rolled back).
  TDataController* LiveController() const;

  IOperater& operater_;
  std::function<void(const std::string&)> abandoned_handler_;
  std::atomic<int32_t> host_references_{0};
  TDataController* controller_ = nullptr;  // while a transaction is open
  bool kept_ = false;
  std::string abandoned_;  // why the last kept hand-over ended without commit
};

}  // namespace gateway
