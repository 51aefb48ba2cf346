#include "business/BusinessOperaterList.h"

#include "business/Boundary.h"
#include "pools/PoolErrors.h"
#include "text/TextCase.h"

namespace gateway {

TBusinessOperaterList::~TBusinessOperaterList() {
  for (IOperater* operater : operaters_) operater->Release();
}

void TBusinessOperaterList::Add(IOperater* operater) {
  operater->AddRef();
  operaters_.push_back(operater);
}

IOperater* TBusinessOperaterList::GetItem(int32_t index) {
  if (index < 0 || index >= GetCount()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return operaters_[static_cast<size_t>(index)];
}

IOperater* TBusinessOperaterList::FindOperater(const std::string& name) {
  return RunAtBoundary([&]() -> IOperater* {
    for (IOperater* operater : operaters_) {
      if (SameTextAscii(operater->GetName(), name)) return operater;
    }
    return nullptr;
  });
}

bool TBusinessOperaterList::HasOperater(const std::string& name, IOperater*& operater) {
  operater = FindOperater(name);
  return operater != nullptr;
}

}  // namespace gateway
