// The pools an operator exposes: TInputPool tells its operator that a new
// request arrives, then turns it into typed sub-pools (made by TPoolFactory,
// one per element of that request) after the global parameters have read it;
// TOutputPool collects the results. Both know their operator, whose error
// record they report through GetError.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "pools/BufferPool.h"

namespace gateway {

class TBaseOperater;

class TBaseOperaterPool : public TBufferPool {
 public:
  explicit TBaseOperaterPool(TBaseOperater& operater) : operater_(operater) {}
  TOperateError& GetError() override;
  TBaseOperater& Operater() const { return operater_; }

 private:
  TBaseOperater& operater_;
};

class TInputPool : public TBaseOperaterPool {
 public:
  using TBaseOperaterPool::TBaseOperaterPool;

  // Why the last request must not run (a text that is not XML or larger than
  // the configured bounds, a factory the company table does not hold); empty
  // when it may. An operator that reads
  // its request raises it instead of running.
  const std::string& Refusal() const { return refusal_; }

 protected:
  // The global parameters read the request first; then every element of the
  // request gets a sub-pool, which reads it. A request that is too large or
  // cannot be read leaves no sub-pool and says why in Refusal; an empty text
  // is a request without elements.
  void FromXML(const std::string& xml) override;

 private:
  std::string refusal_;
};

class TOutputPool : public TBaseOperaterPool {
 public:
  using TBaseOperaterPool::TBaseOperaterPool;

  // Keeps a response already produced, so that the next read returns exactly
  // that text instead of producing it again.
  void KeepRenderedXML(std::string xml) { rendered_ = std::move(xml); }
  // Drops a kept response: the next read produces the output afresh.
  void ForgetRenderedXML() { rendered_.reset(); }
  void Clear() override;

 protected:
  void ToXML(std::string& xml) override;

 private:
  std::optional<std::string> rendered_;
};

// Which pool class serves which request element (names compared exactly).
class TPoolFactory {
 public:
  TPoolFactory() = delete;
  static std::unique_ptr<TBasePool> CreatePool(const TBaseOperater& operater,
                                               const std::string& name);
};

}  // namespace gateway
