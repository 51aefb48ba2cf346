#include "business/BaseOperater.h"

#include <exception>

#include "business/Boundary.h"
#include "config/ClassName.h"
#include "pools/PoolErrors.h"
#include "pools/TextPools.h"

namespace gateway {

TBaseOperater::TBaseOperater(TBusinessBase* business) : business_(business) {}

TBaseOperater::~TBaseOperater() = default;

int32_t TBaseOperater::QueryInterface(const Guid& iid, void** object) {
  if (object == nullptr) return kNoInterface;
  if (iid == kIID_IOperater || iid == kIID_IUnknown) {
    *object = static_cast<IOperater*>(this);
    AddRef();
    return kInterfaceOk;
  }
  *object = nullptr;
  return kNoInterface;
}

int32_t TBaseOperater::AddRef() { return ++ref_count_; }

int32_t TBaseOperater::Release() {
  const int32_t count = --ref_count_;
  // The interface's holders own the operator together: the last one ends it.
  if (count == 0) delete this;
  return count;
}

std::string TBaseOperater::GetName() { RaiseNotImplemented(ClassNameOf(*this), "GetName"); }

TInputPool* TBaseOperater::GetInputPool() {
  RaiseNotImplemented(ClassNameOf(*this), "GetInputPool");
}

TOutputPool* TBaseOperater::GetOutputPool() {
  RaiseNotImplemented(ClassNameOf(*this), "GetOutputPool");
}

TInputPool* TBaseOperater::OwnedInputPool() {
  if (!input_pool_) input_pool_ = std::make_unique<TInputPool>(*this);
  return input_pool_.get();
}

TOutputPool* TBaseOperater::OwnedOutputPool() {
  if (!output_pool_) output_pool_ = std::make_unique<TOutputPool>(*this);
  return output_pool_.get();
}

int32_t TBaseOperater::Initialize(const std::string& params) {
  return RunAtBoundary([&] {
    DoInitialize(params);
    return 0;
  });
}

void TBaseOperater::DoInitialize(const std::string&) {}

void TBaseOperater::BeforeExecute(bool&) {}

void TBaseOperater::Execute() {
  RunAtBoundary([&] {
    ExecuteSteps();
    Finish();
  });
}

void TBaseOperater::ExecuteSteps() {
  // Each execution reports its own outcome: an earlier failure must not stay
  // in the record and be reported again by a later success.
  error_ = TOperateError{};
  try {
    bool continue_execution = true;
    BeforeExecute(continue_execution);
    if (continue_execution) {
      DoExecute();
      AfterExecute();
    }
  } catch (const Exception& failure) {
    error_.Code = failure.HelpContext();
    error_.Message = failure.Message();
  } catch (const std::exception& failure) {
    error_.Code = 0;
    error_.Message = failure.what();
  }
}

void TBaseOperater::WriteError() {
  TPoolList& pools = GetOutputPool()->Pools();
  TBasePool* found = nullptr;
  if (!pools.TryFindOfClass<TTextNodePool>("Error", found)) {
    auto created = std::make_unique<TTextNodePool>();
    found = created.get();
    pools.AddNamed("Error", std::move(created));
  }
  static_cast<TTextNodePool*>(found)->Text = error_.Message;
}

void TBaseOperater::Finish() {
  if (error_.Code == 0 && !error_.Message.empty()) error_.Code = -1;
  const bool failed = HasError();
  TPoolList& pools = GetOutputPool()->Pools();
  TBasePool* found = nullptr;
  if (!failed && pools.TryFindOfClass<TTextNodePool>("Error", found)) pools.Remove(found);
  if (failed) WriteError();
  if (!pools.TryFindOfClass<TTextNodePool>("Status", found)) {
    auto created = std::make_unique<TTextNodePool>();
    found = created.get();
    pools.AddNamed("Status", std::move(created));
  }
  static_cast<TTextNodePool*>(found)->Text = std::to_string(error_.Code);
}

}  // namespace gateway
