#include "pools/PoolList.h"

#include <memory>
#include <unordered_set>
#include <vector>

#include "pools/PoolErrors.h"
#include "text/TextCase.h"

namespace gateway {

TPoolList::~TPoolList() { Clear(); }

int TPoolList::Add(TBasePool* pool) {
  pools_.push_back(pool);
  return Count() - 1;
}

int TPoolList::AddNamed(const std::string& name, TBasePool* pool) {
  pool->SetNodeName(name);
  return Add(pool);
}

void TPoolList::CheckIndex(int index) const {
  if (index < 0 || index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

TBasePool* TPoolList::Items(int index) const {
  CheckIndex(index);
  return pools_[static_cast<size_t>(index)];
}

int TPoolList::IndexOf(const TBasePool* pool) const {
  for (size_t i = 0; i < pools_.size(); ++i)
    if (pools_[i] == pool) return static_cast<int>(i);
  return -1;
}

TBasePool* TPoolList::Find(const std::string& name) const {
  for (TBasePool* pool : pools_)
    if (pool != nullptr && SameTextAscii(pool->NodeName(), name)) return pool;
  return nullptr;
}

bool TPoolList::TryFind(const std::string& name, TBasePool*& pool) const {
  pool = Find(name);
  return pool != nullptr;
}

int TPoolList::Remove(TBasePool* pool) {
  const int index = IndexOf(pool);
  if (index >= 0) Delete(index);
  return index;
}

void TPoolList::Delete(int index) {
  CheckIndex(index);
  TBasePool* pool = pools_[static_cast<size_t>(index)];
  pools_.erase(pools_.begin() + index);
  Dispose(pool);
}

TBasePool* TPoolList::Extract(TBasePool* pool) {
  const int index = IndexOf(pool);
  if (index < 0) return nullptr;
  pools_.erase(pools_.begin() + index);
  return pool;
}

void TPoolList::Clear() {
  std::vector<TBasePool*> pools;
  pools.swap(pools_);
  if (!OwnsPools) return;
  // Last to first; a pool added twice is destroyed once. Known by address
  // rather than looked up in the list, so that clearing a request of many
  // elements costs time in proportion to them.
  std::unordered_set<TBasePool*> destroyed;
  for (auto pool = pools.rbegin(); pool != pools.rend(); ++pool) {
    if (destroyed.insert(*pool).second) std::unique_ptr<TBasePool> gone(*pool);
  }
}

void TPoolList::Dispose(TBasePool* pool) const {
  // A pool added twice is destroyed only with its last entry, never while the
  // list still refers to it.
  if (OwnsPools && IndexOf(pool) < 0) std::unique_ptr<TBasePool> destroyed(pool);
}

}  // namespace gateway
