#include "business/OperaterPools.h"

#include "business/BaseOperater.h"
#include "business/GetDataOperater.h"
#include "business/RequestLimits.h"
#include "business/RequestSpelling.h"
#include "config/Errors.h"
#include "pools/ConditionPools.h"
#include "pools/DataPool.h"
#include "pools/GlobleParams.h"
#include "pools/ListPools.h"
#include "pools/TextPools.h"
#include "text/XmlText.h"

namespace gateway {

TOperateError& TBaseOperaterPool::GetError() { return operater_.Error(); }

void TInputPool::FromXML(const std::string& xml) {
  Operater().NewRequest();
  refusal_.clear();
  // Every request brings its own elements: the sub-pools of the requests
  // before it go, so that neither their names nor their number pile up over
  // a long-lived business object.
  Pools().Clear();
  // The request is parsed once, after its size has been checked; every part
  // of the library that reads it reads this one document.
  XmlDocument document;
  refusal_ = RequestLimitRefusal(xml);
  if (refusal_.empty()) {
    std::string parse_error;
    document.LoadXml(NormalizeXmlHeader(xml), &parse_error);
    // Text that is not XML says nothing about what is wanted: running it as
    // a request without conditions would hand over every order.
    if (document.DocumentElement().IsNull() && !xml.empty()) {
      refusal_ = "The request is not well-formed XML (" + parse_error + "), so it was not run";
    }
  }
  const XmlNode root = document.DocumentElement();
  try {
    // Settings of this request alone, also when it cannot be read.
    GlobleParams().ReadRequest(root);
  } catch (const ERequestRefused& refused) {
    if (refusal_.empty()) refusal_ = refused.Message();
    return;
  }
  if (root.IsNull()) return;
  WarnAboutMisspelledElements(root);

  // One sub-pool per child element (comments, processing instructions and
  // stray text are none); the ExtendedProperties element is the pool's own.
  for (const XmlNode& child : root.Children()) {
    if (!child.IsElement()) continue;
    const std::string name = child.NodeName();
    if (name != "ExtendedProperties") Pools().Add(TPoolFactory::CreatePool(Operater(), name));
  }
  ReadElements(root);
}

void TOutputPool::Clear() {
  rendered_.reset();
  TBaseOperaterPool::Clear();
}

void TOutputPool::ToXML(std::string& xml) {
  if (rendered_) {
    xml = std::move(*rendered_);
    rendered_.reset();
    return;
  }
  TBaseOperaterPool::ToXML(xml);
}

std::unique_ptr<TBasePool> TPoolFactory::CreatePool(const TBaseOperater& operater,
                                                    const std::string& name) {
  if (name == "PropertyList") {
    if (dynamic_cast<const TDataSetGetDataOperaterBase*>(&operater) != nullptr) {
      return std::make_unique<TGetDataPropertyListPool>();
    }
    return std::make_unique<TGetCaculatePropertyListPool>();
  }
  if (name == "Condition") return std::make_unique<TConditionPool>();
  if (name == "GroupList") return std::make_unique<TGroupListPool>();
  if (name == "GroupCondition") return std::make_unique<TGroupConditionPool>();
  if (name == "OrderList") return std::make_unique<TOrderListPool>();
  if (name == "Data") return std::make_unique<TDataPool>();
  auto pool = std::make_unique<TTextNodePool>();
  pool->SetNodeName(name);
  return pool;
}

}  // namespace gateway
