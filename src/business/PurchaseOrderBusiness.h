// The purchase-order business object and its "GetData" operator, which reads
// purchase orders (header PURTC with its lines PURTD and the master data
// around them) and marks every order it returned as handed over (TC035 = 'Y').
#pragma once

#include "business/BusinessObject.h"
#include "business/GetDataOperater.h"

namespace gateway {

class TPurchaseOrderGetData : public TGetDataOperater {
 public:
  explicit TPurchaseOrderGetData(TBusinessBase* business);

  // The base statement: purchase-order lines with their headers and master
  // data; "$$" stands for the factory database.
  static const char* BaseStatement();

 protected:
  void Finish() override;
};

// Operators by index: 0 "GetData", 1 "Help".
class TPurchaseOrderBusiness : public TBusinessBase {
 public:
  TPurchaseOrderBusiness();
};

}  // namespace gateway
