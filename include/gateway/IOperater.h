// IOperater: one action of a business object ("GetData", "Help"). A host
// writes the request into the input pool, calls Execute, and reads the output
// pool. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>

#include "gateway/IPool.h"
#include "gateway/Interface.h"

namespace gateway {

// {2C9EE14E-E75B-469F-802F-A4705008E235}
inline constexpr Guid kIID_IOperater = {
    0x2C9EE14E, 0xE75B, 0x469F, {0x80, 0x2F, 0xA4, 0x70, 0x50, 0x08, 0xE2, 0x35}};

class IOperater : public IInterface {
 public:
  virtual std::string GetName() = 0;
  // The operator's pools, made on first request and owned by the operator:
  // valid while the operator lives.
  virtual IPool* GetInputPool() = 0;
  virtual IPool* GetOutputPool() = 0;
  // Hands the business object's parameter text to the operator; returns 0.
  virtual int32_t Initialize(const std::string& params) = 0;
  // Runs the operator. Failures inside become the output's "Error" and
  // "Status" elements; only a failure while writing the outcome reaches the
  // caller, as gateway::Exception.
  virtual void Execute() = 0;
  // The object behind the interface, for the library's own use.
  virtual void* GetObject() = 0;

 protected:
  ~IOperater() = default;
};

}  // namespace gateway
