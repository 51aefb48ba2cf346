#include "business/PurchaseOrderBusiness.h"

#include <memory>
#include <string>

#include "business/HelpOperater.h"
#include "data/DataController.h"
#include "data/DataSet.h"
#include "pools/DataPool.h"
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

TPurchaseOrderGetData::TPurchaseOrderGetData(TBusinessBase* business) : TGetDataOperater(business) {
  BaseSQL.emplace_back(kBaseStatement);
}

void TPurchaseOrderGetData::Finish() {
  TGetDataOperater::Finish();
  if (HasError()) return;
  // An order marked as handed over that the host never receives is lost, so
  // the response is produced before anything is marked, and kept for the
  // host's read. If it cannot be produced, nothing is marked and the host
  // reads the reason instead of the rows.
  TOutputPool* output = GetOutputPool();
  std::string response;
  std::string failure;
  try {
    response = output->GetXML();
    if (response.empty()) failure = "The response document is not well-formed XML";
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (!failure.empty()) {
    Error().Code = -1;
    Error().Message = "The response could not be produced, so no order was marked: " + failure;
    TBasePool* data_pool = nullptr;
    if (output->Pools().TryFindOfClass<TDataPool>("Data", data_pool)) {
      static_cast<TDataPool*>(data_pool)->SetDataSet(nullptr);
    }
    TGetDataOperater::Finish();
    return;
  }
  output->KeepRenderedXML(response);

  DataSet& rows = *GetDataSet();
  TDataController& controller = *Business()->GetDataController();
  for (rows.First(); !rows.Eof(); rows.Next()) {
    controller.ExecuteSQL(" UPDATE $$PURTC SET TC035='Y' WHERE TC001=" +
                          QuotedLiteral(rows.FieldByName("TC001").AsString()) +
                          " AND TC002=" + QuotedLiteral(rows.FieldByName("TC002").AsString()));
  }
}

TPurchaseOrderBusiness::TPurchaseOrderBusiness() {
  // Operators are reference counted: the list's reference owns each one.
  GetOperaterList()->Add(new TPurchaseOrderGetData(this));
  GetOperaterList()->Add(new THelpOperater(this));
}

}  // namespace gateway
