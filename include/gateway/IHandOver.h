// IHandOver: the confirm step of an operator that hands rows over (the
// purchase-order "GetData" marks every order it returns as handed over). A
// host obtains it from the operator with IOperater::QueryInterface and
// kIID_IHandOver; an operator that hands nothing over does not offer it.
//
// Without it, Execute commits the hand-over before it returns: the orders of
// the response are marked even if the host then fails to deliver it. With it,
// Execute reads, renders and marks inside one open database transaction and
// leaves that transaction open; the host reads the output, stores it
// durably, and then calls Confirm (commit: the orders are handed over) or
// Abandon (roll back: nothing is marked, the next request returns them again).
//
//   IHandOver* hand_over = nullptr;
//   if (operater->QueryInterface(kIID_IHandOver, reinterpret_cast<void**>(&hand_over)) ==
//       kInterfaceOk) { ... }
//   input->SetXML(request); operater->Execute();
//   store(output->GetXML());            // on failure: hand_over->Abandon()
//   hand_over->Confirm();               // raises when the commit fails
//   ...
//   hand_over->Release();
//
// The confirm step is on while the host holds a reference to IHandOver; when
// the last one is released, an open hand-over is abandoned and Execute
// commits by itself again. An open hand-over is also abandoned when the
// operator is given a new request (its input pool's SetXML), when it is
// executed again, and when its business object is ended (FreeBusiness).
// While a hand-over is open, the database transaction holds its lock (on
// SQLite the write lock of the database): confirm or abandon promptly.
#pragma once

#include "gateway/Interface.h"

namespace gateway {

// {70E5316F-5291-4739-B3C8-5C49C164A7F2}
inline constexpr Guid kIID_IHandOver = {
    0x70E5316F, 0x5291, 0x4739, {0xB3, 0xC8, 0x5C, 0x49, 0xC1, 0x64, 0xA7, 0xF2}};

class IHandOver : public IInterface {
 public:
  // True while the last Execute left a hand-over open: its response holds
  // rows that are marked inside the open transaction, waiting for Confirm or
  // Abandon. False after an Execute that had nothing to hand over (no rows,
  // or a failure reported in the response's Error), and after Confirm or
  // Abandon.
  virtual bool Pending() = 0;

  // Commits the open hand-over: every order of the response is now marked as
  // handed over. Without an open hand-over it does nothing, unless the last
  // one was abandoned (by Abandon, a new request, a new Execute or the end of
  // the business object): then the orders the host holds were not marked,
  // and Confirm raises gateway::Exception saying so. When the commit itself
  // fails, the transaction is rolled back, nothing is marked, the output
  // holds no rows but the failure in "Error" and a non-zero "Status", and
  // Confirm raises gateway::Exception with the same message.
  virtual void Confirm() = 0;

  // Rolls the open hand-over back: no order of the response is marked, and
  // the next request returns them again. Never fails: when the rollback
  // itself fails, the database connection is closed, which ends the
  // transaction without commit. Afterwards the output holds no rows, the
  // "Error" "The hand-over was abandoned, so no order was marked" and
  // "Status" -1; the response read before Abandon is unchanged for whoever
  // holds it. Without an open hand-over it does nothing.
  virtual void Abandon() = 0;

 protected:
  ~IHandOver() = default;
};

}  // namespace gateway
