#include "business/PurchaseOrderBusiness.h"

#include <memory>
#include <string>
#include <unordered_set>

#include "business/HelpOperater.h"
#include "business/OrderKeys.h"
#include "business/UnwritableValue.h"
#include "config/FreedMemory.h"
#include "data/DataController.h"
#include "data/DataSet.h"
#include "pools/DataPool.h"
#include "pools/ListPools.h"
#include "pools/TextPools.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

// Purchase-order lines with their headers and master data, restricted to
// suppliers and lines that may be handed over. "$$" stands for the factory
// database; every blank is part of the text.
const char kBaseStatement[] =
    " SELECT PURTC.*,  TD001,TD002,TD003,TD004,TD005,TD006,TD007,TD008,TD009,TD010,"
    "  TD011,TD012,TD013,TD014,TD015,TD016,TD017,TD018, CASE WHEN TC018='1' THEN '1.应税内含'"
    "       WHEN TC018='2' THEN '2.应税外加'       WHEN TC018='3' THEN '3.零税率'"
    "       WHEN TC018='4' THEN '4.免税'       WHEN TC018='9' THEN '9.不计税'"
    "  END TC018C, TD019,TD020,  TD021,TD022,TD023,TD024,TD025,TD026,TD027,TD028,TD029,TD030,"
    "  TD031,TD032,TD033,TD034,TD035,TD036,TD037,TD038,TD039,TD040,"
    "  TD041,TD042,TD043,TD044,TD045,TD046,TD047,  MF002,MV002,MB002,MA002,MC002,NA003"
    "  FROM $$PURTC AS PURTC  LEFT JOIN $$PURTD AS PURTD ON TC001=TD001 AND TC002=TD002"
    "  LEFT JOIN $$PURMA AS PURMA ON TC004=MA001  LEFT JOIN $$CMSMF AS CMSMF ON TC005=MF001"
    "  LEFT JOIN $$CMSMV AS CMSMV ON TC011=MV001  LEFT JOIN $$CMSMB AS CMSMB ON TC010=MB001"
    "  LEFT JOIN $$CMSNA AS CMSNA ON TC027=NA002 AND NA001='1'  LEFT JOIN $$CMSMC AS CMSMC ON TD007=MC001"
    "  WHERE MA069='Y' AND TD018='Y' ";

std::string QuotedLiteral(const std::string& text) { return "'" + ReplaceAll(text, "'", "''") + "'"; }

}  // namespace

const char* TPurchaseOrderGetData::BaseStatement() { return kBaseStatement; }

TPurchaseOrderGetData::TPurchaseOrderGetData(TBusinessBase* business)
    : TGetDataOperater(business),
      hand_over_(*this, [this](const std::string& reason) { ReportNotHandedOver(reason); }) {
  BaseSQL.emplace_back(kBaseStatement);
}

int32_t TPurchaseOrderGetData::QueryInterface(const Guid& iid, void** object) {
  if (iid == kIID_IHandOver) return hand_over_.QueryInterface(iid, object);
  return TGetDataOperater::QueryInterface(iid, object);
}

void TPurchaseOrderGetData::NewRequest() {
  hand_over_.AbandonKept(
      "A new request arrived before the hand-over was confirmed, so no order was marked");
}

void TPurchaseOrderGetData::BeforeExecute(bool& continue_execution) {
  hand_over_.NewResponse();
  TGetDataOperater::BeforeExecute(continue_execution);
}

DataSet* TPurchaseOrderGetData::OpenDataSet(const std::string& statement) {
  TBasePool* properties = nullptr;
  if (GetInputPool()->Pools().TryFindOfClass<TGetDataPropertyListPool>("PropertyList",
                                                                      properties)) {
    CheckOrderKeysRequested(static_cast<TGetDataPropertyListPool*>(properties)->Strings);
  }
  hand_over_.Begin();
  DataSet* rows = TGetDataOperater::OpenDataSet(statement);
  // Nothing to hand over: nothing to commit, and the lock goes at once.
  if (!rows->Active() || rows->IsEmpty()) hand_over_.Rollback();
  return rows;
}

void TPurchaseOrderGetData::Finish() {
  status_added_ = false;
  if (HasError()) {
    // A failed request hands nothing over; its response holds only the failure.
    hand_over_.Rollback();
    ReportNotHandedOver(Error().Message);
    return;
  }
  TBasePool* status = nullptr;
  status_added_ = !GetOutputPool()->Pools().TryFindOfClass<TTextNodePool>("Status", status);
  TGetDataOperater::Finish();
  // The marking names the orders by the keys the response delivers.
  try {
    CheckDeliveredKeys();
  } catch (const std::exception& error) {
    return FailHandOver(error.what());
  }
  // An order marked as handed over that the host never receives is lost, so
  // the response is produced before anything is marked, and kept for the
  // host's read. If it cannot be produced, nothing is marked and the host
  // reads the reason instead of the rows.
  std::string response;
  try {
    response = GetOutputPool()->GetXML();
    if (response.empty()) throw Exception("The response document is not well-formed XML");
  } catch (const std::exception& error) {
    std::string reason = error.what();
    TBasePool* data = nullptr;
    if (GetDataSet() != nullptr && GetOutputPool()->Pools().TryFindOfClass<TDataPool>("Data", data)) {
      const std::string value =
          DescribeUnwritableValue(*GetDataSet(), static_cast<TDataPool*>(data)->FieldList());
      if (!value.empty()) reason = value;
    }
    return FailHandOver("The response could not be produced, so no order was marked: " + reason);
  }
  if (hand_over_.Open()) {
    try {
      MarkOrders();
    } catch (const std::exception& error) {
      return FailHandOver(
          std::string("An order could not be marked as handed over, so no order was marked: ") +
          error.what());
    }
    if (hand_over_.ConfirmStep()) {
      hand_over_.Keep();
    } else {
      try {
        hand_over_.Commit();
      } catch (const std::exception& error) {
        return FailHandOver(
            std::string("The hand-over could not be committed, so no order was marked: ") +
            error.what());
      }
    }
  } else if (GetDataSet() != nullptr && GetDataSet()->Active() && !GetDataSet()->IsEmpty()) {
    // Rows read outside a hand-over could be in another response as well.
    return FailHandOver("The rows were not read inside a hand-over, so no order was marked");
  }
  const bool large = response.size() >= kLargeRequestBytes;
  GetOutputPool()->KeepRenderedXML(std::move(response));
  // The request's working memory (the query's buffers, the rendering's frame)
  // goes back to the system; what remains is the result and the response.
  if (large) ReturnFreedMemory();
}

void TPurchaseOrderGetData::CheckDeliveredKeys() {
  TBasePool* data = nullptr;
  if (GetDataSet() == nullptr || !GetDataSet()->Active() ||
      !GetOutputPool()->Pools().TryFindOfClass<TDataPool>("Data", data)) {
    return;
  }
  TBasePool* properties = nullptr;
  const std::vector<std::string> none;
  CheckOrderKeysDelivered(
      static_cast<TDataPool*>(data)->FieldList(),
      GetInputPool()->Pools().TryFindOfClass<TGetDataPropertyListPool>("PropertyList", properties)
          ? static_cast<TGetDataPropertyListPool*>(properties)->Strings
          : none,
      *GetDataSet());
}

void TPurchaseOrderGetData::MarkOrders() {
  DataSet& rows = *GetDataSet();
  TDataController& controller = *Business()->GetDataController();
  // The lines of one order give the same statement: within the request's
  // transaction a second run would change nothing, so each runs (and is
  // logged) once.
  std::unordered_set<std::string> marked;
  for (rows.First(); !rows.Eof(); rows.Next()) {
    std::string statement = " UPDATE $$PURTC SET TC035='Y' WHERE TC001=" +
                            QuotedLiteral(rows.FieldByName("TC001").AsString()) +
                            " AND TC002=" + QuotedLiteral(rows.FieldByName("TC002").AsString());
    if (marked.contains(statement)) continue;
    controller.ExecuteSQL(statement);
    marked.insert(std::move(statement));
  }
}

void TPurchaseOrderGetData::FailHandOver(const std::string& reason) {
  hand_over_.Rollback();
  ReportNotHandedOver(reason);
}

void TPurchaseOrderGetData::ReportNotHandedOver(const std::string& reason) {
  if (Error().Code == 0) Error().Code = -1;
  Error().Message = reason;
  TOutputPool* output = GetOutputPool();
  output->ForgetRenderedXML();
  TBasePool* found = nullptr;
  if (output->Pools().TryFindOfClass<TDataPool>("Data", found)) {
    static_cast<TDataPool*>(found)->SetDataSet(nullptr);
  }
  // A "Status" this execution added for its success goes again, so that the
  // output reads as that of any failed execution: "Error", then "Status".
  if (status_added_ && output->Pools().TryFindOfClass<TTextNodePool>("Status", found)) {
    output->Pools().Remove(found);
  }
  status_added_ = false;
  TGetDataOperater::Finish();
}

TPurchaseOrderBusiness::TPurchaseOrderBusiness() {
  // Operators are reference counted: the list's reference owns each one.
  get_data_ = new TPurchaseOrderGetData(this);
  GetOperaterList()->Add(get_data_);
  GetOperaterList()->Add(new THelpOperater(this));
}

TPurchaseOrderBusiness::~TPurchaseOrderBusiness() {
  // A host may still hold the operator; its hand-over must not outlive the
  // business object it was made for.
  get_data_->AbandonHandOver(
      "The business object was ended before the hand-over was confirmed, so "
      "no order was marked");
}

}  // namespace gateway
