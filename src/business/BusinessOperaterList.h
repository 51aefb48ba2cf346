// TBusinessOperaterList: the operators of a business object in insertion
// order, found by index or by name (without regard to letter case). It holds
// one reference on each operator and releases them when it ends.
#pragma once

#include <string>
#include <vector>

#include "gateway/IBusiness.h"

namespace gateway {

class TBusinessOperaterList : public IOperaterList {
 public:
  TBusinessOperaterList() = default;
  TBusinessOperaterList(const TBusinessOperaterList&) = delete;
  TBusinessOperaterList& operator=(const TBusinessOperaterList&) = delete;
  virtual ~TBusinessOperaterList();

  // Appends the operator and takes a reference on it.
  void Add(IOperater* operater);

  int32_t GetCount() override { return static_cast<int32_t>(operaters_.size()); }
  IOperater* GetItem(int32_t index) override;
  IOperater* FindOperater(const std::string& name) override;
  bool HasOperater(const std::string& name, IOperater*& operater) override;

 private:
  std::vector<IOperater*> operaters_;
};

}  // namespace gateway
