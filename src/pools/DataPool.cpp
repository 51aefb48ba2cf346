#include "pools/DataPool.h"

#include "config/TraceLog.h"
#include "data/DataController.h"
#include "data/DataSet.h"
#include "pools/GlobleParams.h"

namespace gateway {

namespace {

const char kDataElement[] = "Data";

}  // namespace

TDataPool::TDataPool() { SetNodeName(kDataElement); }

void TDataPool::SetFieldList(const std::vector<std::string>& fields) {
  if (fields != field_list_) field_list_ = fields;
}

void TDataPool::ToXML(std::string& xml) {
  xml.clear();
  // A result set that is closed (a statement the database refused) has no
  // rows to write: the response then simply has no Data element.
  if (data_set_ == nullptr || !data_set_->Active()) return;
  data_set_->CheckBrowseMode();
  if (UseTempTable) {
    xml = GlobleParams().DataController()->DistinctSelectToXML(
        *data_set_, field_list_, TempTableOptions.Where, TempTableOptions.OrderBy, kDataElement);
  } else if (!field_list_.empty()) {
    xml = TDataController::DataSetToXML(*data_set_, field_list_, false, kDataElement);
  } else {
    xml = TDataController::DataSetToXML(*data_set_, false, kDataElement);
  }
}

bool TDataPool::CanAppendResponseXML() const {
  return !UseTempTable && !OnGetXML && !OnBeforeGetXML && !OnAfterGetXML && !IsTraceEnabled();
}

bool TDataPool::AppendResponseXML(std::string& out) {
  if (data_set_ == nullptr || !data_set_->Active()) return true;  // as ToXML: nothing
  data_set_->CheckBrowseMode();
  if (!field_list_.empty()) {
    return TDataController::AppendDataSetXML(out, *data_set_, field_list_, false, kDataElement);
  }
  return TDataController::AppendDataSetXML(out, *data_set_, false, kDataElement);
}

void TDataPool::FromXML(const std::string& xml) {
  if (data_set_ == nullptr) return;
  data_set_->CheckBrowseMode();
  data_set_->First();
  while (!data_set_->IsEmpty()) data_set_->Delete();
  if (!field_list_.empty()) {
    TDataController::XMLToDataSet(*data_set_, field_list_, xml);
  } else {
    TDataController::XMLToDataSet(*data_set_, xml);
  }
}

}  // namespace gateway
