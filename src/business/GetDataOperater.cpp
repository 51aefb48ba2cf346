#include "business/GetDataOperater.h"

#include <memory>

#include "business/BusinessObject.h"
#include "business/RequestSafety.h"
#include "config/ClassName.h"
#include "config/Errors.h"
#include "config/FreedMemory.h"
#include "config/ObjectBase.h"
#include "config/TraceLog.h"
#include "data/DataController.h"
#include "data/DataSet.h"
#include "pools/ConditionPools.h"
#include "pools/DataPool.h"
#include "pools/ListPools.h"
#include "pools/PoolErrors.h"
#include "pools/TextPools.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

constexpr int kDataSetNotAssigned = -9007;

template <class Pool>
Pool* FindPool(const TPoolList& pools, const std::string& name) {
  TBasePool* found = nullptr;
  return pools.TryFindOfClass<Pool>(name, found) ? static_cast<Pool*>(found) : nullptr;
}

bool IsLongPropertyType(TPropertyType type) {
  return type == TPropertyType::ptText || type == TPropertyType::ptImage;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace

TDataSetGetDataOperaterBase::TDataSetGetDataOperaterBase(TBusinessBase* business)
    : TGetDataOperaterBase(business) {
  GetOutputPool()->Pools().Add(std::make_unique<TDataPool>());
}

void TDataSetGetDataOperaterBase::BeforeExecute(bool& continue_execution) {
  TGetDataOperaterBase::BeforeExecute(continue_execution);
  // A request that could not be read runs nothing: its failure is the answer.
  const std::string& refusal = GetInputPool()->Refusal();
  if (!refusal.empty()) throw ERequestRefused(refusal);
}

void TDataSetGetDataOperaterBase::DoExecute() {
  TGetDataOperaterBase::DoExecute();
  PrepareDataSet();
  PrepareOutput();
}

void TDataSetGetDataOperaterBase::PrepareDataSet() {
  RaiseNotImplemented(ClassNameOf(*this), "PrepareDataSet");
}

void TDataSetGetDataOperaterBase::PrepareOutput() {
  auto* data_pool = FindPool<TDataPool>(GetOutputPool()->Pools(), "Data");
  if (data_set_ == nullptr || data_pool == nullptr) return;
  data_pool->SetDataSet(data_set_);
  data_pool->SetFieldList({});
  if (auto* properties =
          FindPool<TGetDataPropertyListPool>(GetInputPool()->Pools(), "PropertyList")) {
    data_pool->SetFieldList(properties->Strings);
    WriteTrace(ClassNameOf(*this), "TDataSetGetDataOperaterBase", "PrepareOutput",
               "TDataPool(mDataPool).FieldList", JoinLines(data_pool->FieldList()));
  }
}

void TDataSetGetDataOperaterBase::CheckDataSet() const {
  if (data_set_ == nullptr) throw Exception("The DataSet isnot assigned!", kDataSetNotAssigned);
  if (data_set_->Active()) return;
  // Callers match the text's beginning; what the database said follows it,
  // so that a typo in a column name reads otherwise than a locked database.
  std::string message = "Cannot perform this operation on a closed dataset";
  const auto* query = dynamic_cast<const TMyAdoQuery*>(data_set_);
  if (query != nullptr && !query->LastError().empty()) message += ": " + query->LastError();
  throw Exception(message);
}

void TDataSetGetDataOperaterBase::AfterExecute() {
  TGetDataOperaterBase::AfterExecute();
  CheckDataSet();
  const TPoolList& input = GetInputPool()->Pools();
  // Operators that do not build SQL filter their result set here; the SQL
  // operators have already used the condition and removed its pool.
  if (auto* condition = FindPool<TConditionPool>(input, "Condition")) {
    if (!condition->Text.empty()) data_set_->SetFilter(condition->Text);
  }
  if (auto* data_pool = FindPool<TDataPool>(GetOutputPool()->Pools(), "Data")) {
    if (auto* properties = FindPool<TGetDataPropertyListPool>(input, "PropertyList")) {
      data_pool->SetFieldList(properties->Strings);
    }
    if (data_pool->FieldList().empty()) {
      std::vector<std::string> fields;
      const TPropertyInfoList& list = Business()->PropertyList();
      for (int i = 0; i < list.Count(); ++i) fields.push_back(list.Items(i).Field);
      data_pool->SetFieldList(fields);
    }
  }
  if (FindPool<TTextNodePool>(input, "AgentOption") != nullptr) {
    auto key = std::make_unique<TTextNodePool>();
    key->SetNodeName("Key");
    key->Text = Business()->GetKeyList();
    GetOutputPool()->Pools().Add(std::move(key));
  }
}

void TGetDataOperater::PrepareDataSet() {
  TPoolList& input = GetInputPool()->Pools();
  const TPropertyInfoList& properties = Business()->PropertyList();
  // The request's pools that the query consumes; the input owns them.
  TPoolList consumed;
  consumed.OwnsPools = false;
  bool distinct = true;

  // The request's fragments are pasted into the statement: each is checked
  // first, and a refused one stops the request before anything runs.
  auto* property_list = FindPool<TGetDataPropertyListPool>(input, "PropertyList");
  auto* condition_pool = FindPool<TConditionPool>(input, "Condition");
  auto* agent_pool = FindPool<TTextNodePool>(input, "AgentOption");
  auto* order_pool = FindPool<TOrderListPool>(input, "OrderList");
  if (property_list != nullptr) {
    for (const std::string& entry : property_list->Strings) CheckColumnExpression("PropertyList", entry);
  }
  if (condition_pool != nullptr) CheckConditionXml("Condition", condition_pool->ConvertedXml);
  if (agent_pool != nullptr) CheckAgentOption(agent_pool->Text);
  if (order_pool != nullptr) CheckOrderText(order_pool->Text);

  std::string select_list;
  if (property_list != nullptr) {
    for (const std::string& entry : property_list->Strings) {
      select_list += "," + entry;
      // Text and image columns cannot take part in a DISTINCT.
      if (!distinct) continue;
      const TPropertyInfo* property = properties.FindByField(entry);
      if (property != nullptr && IsLongPropertyType(property->PropertyType)) distinct = false;
    }
    if (!select_list.empty()) select_list.erase(0, 1);
  }
  if (select_list.empty()) {
    for (int i = 0; i < properties.Count() && distinct; ++i) {
      if (IsLongPropertyType(properties.Items(i).PropertyType)) distinct = false;
    }
  }

  std::string condition;
  if (condition_pool != nullptr) {
    condition = condition_pool->Text;
    consumed.Add(condition_pool);
  }
  const std::string agent_text = agent_pool != nullptr ? agent_pool->Text : std::string();
  std::string order;
  if (order_pool != nullptr) {
    order = order_pool->Text;
    consumed.Add(order_pool);
  }

  if (Trim(select_list).empty()) select_list = "*";
  if (!Trim(condition).empty()) condition = "(" + condition + ")";
  std::string agent = agent_text;
  if (Trim(agent).empty()) agent = "(1=1)";
  const std::string agent_part = "(" + agent + ")";
  const std::string where =
      "where " + (condition.empty() ? agent_part : condition + " and " + agent_part);
  if (!Trim(order).empty()) order = "order by " + order;

  std::string inner;
  for (const std::string& line : BaseSQL) inner += line + "\r\n";
  const std::string statement = "select " + std::string(distinct ? "distinct" : "") + " " +
                                select_list + " from (" + inner + ") as Object " + where + " " +
                                order;

  // The previous request's result set has been read by now; closing it hands
  // its query back to the controller's pool instead of keeping every result
  // of the operator's life in memory.
  if (data_set_ != nullptr) {
    const bool large = data_set_->HeldBytes() >= kLargeRequestBytes;
    data_set_->Close();
    // What the last large request left (its rows, and the response the host
    // has let go of by now) goes back to the system before the next result.
    if (large) ReturnFreedMemory();
  }
  data_set_ = nullptr;
  data_set_ = OpenDataSet(statement);
  for (int i = 0; i < consumed.Count(); ++i) input.Remove(consumed.Items(i));
}

DataSet* TGetDataOperater::OpenDataSet(const std::string& statement) {
  return Business()->GetDataController()->QueryData(statement);
}

}  // namespace gateway
