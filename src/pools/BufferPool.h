// TBufferPool: the container pool. It holds an ordered list of sub-pools and
// turns them into one "Service" document (a whole response) and distributes a
// whole request document over them. Operators' input and output pools are
// buffer pools.
#pragma once

#include <string>

#include "pools/BasePool.h"
#include "pools/OperateError.h"
#include "pools/PoolList.h"
#include "text/XmlDom.h"

namespace gateway {

class TBufferPool : public TBasePool {
 public:
  TBufferPool() = default;

  // Clears every sub-pool (they stay in the list) and ExtendedProperties.
  void Clear() override;

  // The error record of the operator the buffer serves; the base raises the
  // not-implemented error.
  virtual TOperateError& GetError();
  // Extra XML written after the sub-pools; the base writes nothing.
  virtual void GetExtendedXML(std::string& xml);

  TPoolList& Pools() { return pools_; }
  const TPoolList& Pools() const { return pools_; }

  // The request's ExtendedProperties element as last read; empty when none.
  std::string ExtendedProperties;

 protected:
  void ToXML(std::string& xml) override;
  void FromXML(const std::string& xml) override;
  // Gives every sub-pool the first child element of `root` that bears its
  // name (compared exactly) and takes the ExtendedProperties element; the
  // children are walked once, whatever their number.
  void ReadElements(const XmlNode& root);

 private:
  TPoolList pools_;
};

}  // namespace gateway
