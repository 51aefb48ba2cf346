// The purchase-order business object and its "GetData" operator, which reads
// purchase orders (header PURTC with its lines PURTD and the master data
// around them) and marks every order it returned as handed over (TC035 = 'Y').
// Reading, marking and the commit of one request form one database
// transaction (a hand-over), so that every order reaches exactly one
// response: two requests never return the same order, and a request that
// fails marks nothing. A host that asks the operator for IHandOver commits it
// itself once it holds the response.
#pragma once

#include <string>

#include "business/BusinessObject.h"
#include "business/GetDataOperater.h"
#include "business/HandOver.h"

namespace gateway {

class TPurchaseOrderGetData : public TGetDataOperater {
 public:
  explicit TPurchaseOrderGetData(TBusinessBase* business);

  // The base statement: purchase-order lines with their headers and master
  // data; "$$" stands for the factory database.
  static const char* BaseStatement();

  // Also answers kIID_IHandOver, the confirm step.
  int32_t QueryInterface(const Guid& iid, void** object) override;
  // A new request abandons a hand-over still waiting for its host.
  void NewRequest() override;
  // Abandons a hand-over still waiting for its host, for `reason`.
  void AbandonHandOver(const std::string& reason) { hand_over_.AbandonKept(reason); }

 protected:
  void BeforeExecute(bool& continue_execution) override;
  // Begins the hand-over, then reads the rows inside it; a result without
  // rows ends it at once.
  DataSet* OpenDataSet(const std::string& statement) override;
  // Writes Error and Status, produces the response, marks every order of it
  // and commits (or, with the confirm step, leaves the commit to the host).
  // Any failure on the way rolls back: the response then holds no rows, only
  // the failure.
  void Finish() override;

 private:
  // The response must deliver the order keys the marking uses (OrderKeys.h).
  void CheckDeliveredKeys();
  void MarkOrders();
  // Rolls back and makes the output report `reason` instead of the rows.
  void FailHandOver(const std::string& reason);
  void ReportNotHandedOver(const std::string& reason);

  THandOver hand_over_;
  // The last execution's success added the output's "Status" pool.
  bool status_added_ = false;
};

// Operators by index: 0 "GetData", 1 "Help".
class TPurchaseOrderBusiness : public TBusinessBase {
 public:
  TPurchaseOrderBusiness();
  // Abandons a hand-over its "GetData" still keeps open.
  ~TPurchaseOrderBusiness() override;

 private:
  TPurchaseOrderGetData* get_data_;  // held by the operator list
};

}  // namespace gateway
