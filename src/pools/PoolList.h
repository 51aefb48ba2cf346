// TPoolList: an ordered list of pools, found by name without regard to ASCII
// letter case. While OwnsPools is set, a pool deleted from the list (Remove,
// Delete, Clear, the list's end) is destroyed; an extracted pool never is.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pools/BasePool.h"

namespace gateway {

class TPoolList {
 public:
  TPoolList() = default;
  TPoolList(const TPoolList&) = delete;
  TPoolList& operator=(const TPoolList&) = delete;
  ~TPoolList();

  // Whether deleting a pool from the list destroys it. Read at the moment of
  // deletion, so an owner may switch it to use the list as a plain index.
  bool OwnsPools = true;

  // Appends the pool and returns its index. With OwnsPools the list takes the
  // pool over; otherwise it only refers to it.
  int Add(TBasePool* pool);
  int Add(std::unique_ptr<TBasePool> pool) { return Add(pool.release()); }
  // Sets the pool's NodeName to `name`, then appends it.
  int AddNamed(const std::string& name, TBasePool* pool);
  int AddNamed(const std::string& name, std::unique_ptr<TBasePool> pool) {
    return AddNamed(name, pool.release());
  }

  int Count() const { return static_cast<int>(pools_.size()); }
  // The pool at a 0-based index; outside 0..Count-1 raises EListError.
  TBasePool* Items(int index) const;
  int IndexOf(const TBasePool* pool) const;

  // The first pool (in index order) whose NodeName equals `name` after ASCII
  // upper-casing of both; nullptr when none does.
  TBasePool* Find(const std::string& name) const;
  bool TryFind(const std::string& name, TBasePool*& pool) const;
  // `pool` receives what Find returns; true only when that is a T (or derived).
  template <class T>
  bool TryFindOfClass(const std::string& name, TBasePool*& pool) const {
    pool = Find(name);
    return dynamic_cast<T*>(pool) != nullptr;
  }

  // Deletes the first entry of the pool; returns its former index, or -1.
  int Remove(TBasePool* pool);
  // Deletes the entry at the index; outside the list raises EListError.
  void Delete(int index);
  // Takes the pool out of the list without destroying it; the caller now
  // answers for it. Returns the pool, or nullptr when it is not in the list.
  TBasePool* Extract(TBasePool* pool);
  // Deletes every entry, from the last to the first.
  void Clear();

 private:
  void CheckIndex(int index) const;
  void Dispose(TBasePool* pool) const;

  // Plain pointers, because whether the list owns them is decided when an
  // entry is deleted, not when it is added.
  std::vector<TBasePool*> pools_;
};

}  // namespace gateway
