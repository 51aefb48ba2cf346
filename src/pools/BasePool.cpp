#include "pools/BasePool.h"

#include "config/ClassName.h"
#include "config/TraceLog.h"
#include "pools/PoolErrors.h"

namespace gateway {

std::string TBasePool::GetXML() {
  if (OnBeforeGetXML) OnBeforeGetXML(*this);
  std::string result;
  if (OnGetXML) {
    OnGetXML(*this, result);
  } else {
    ToXML(result);
  }
  if (OnAfterGetXML) OnAfterGetXML(*this, result);
  WriteTrace(ClassNameOf(*this), "TBasePool", "GetXML", "Result", result);
  return result;
}

void TBasePool::SetXML(const std::string& text) {
  WriteTrace(ClassNameOf(*this), "TBasePool", "SetXML", "Value", text);
  std::string working = text;
  if (OnBeforeSetXML) OnBeforeSetXML(*this, working);
  Clear();
  if (OnSetXML) {
    OnSetXML(*this, working);
  } else {
    FromXML(working);
  }
  if (OnAfterSetXML) OnAfterSetXML(*this);
}

void TBasePool::ToXML(std::string&) { RaiseNotImplemented(ClassNameOf(*this), "ToXML"); }

void TBasePool::FromXML(const std::string&) { RaiseNotImplemented(ClassNameOf(*this), "FromXML"); }

int32_t TBasePool::QueryInterface(const Guid& iid, void** object) {
  if (object == nullptr) return kNoInterface;
  if (iid == kIID_IPool || iid == kIID_IUnknown) {
    *object = static_cast<IPool*>(this);
    AddRef();
    return kInterfaceOk;
  }
  *object = nullptr;
  return kNoInterface;
}

int32_t TBasePool::AddRef() { return ++ref_count_; }

int32_t TBasePool::Release() { return --ref_count_; }

}  // namespace gateway
