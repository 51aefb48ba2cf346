// IPool: how a host reads and writes the XML of an operator's input and output
// pools. Texts are UTF-8.
#pragma once

#include <string>

#include "gateway/Interface.h"

namespace gateway {

// {A29C8EC0-76AD-4B30-B2A5-717CCABAA362}
inline constexpr Guid kIID_IPool = {
    0xA29C8EC0, 0x76AD, 0x4B30, {0xB2, 0xA5, 0x71, 0x7C, 0xCA, 0xBA, 0xA3, 0x62}};

class IPool : public IInterface {
 public:
  // The pool's content as XML.
  virtual std::string GetXML() = 0;
  // Replaces the pool's content by what the XML holds (the pool is emptied first).
  virtual void SetXML(const std::string& text) = 0;

 protected:
  ~IPool() = default;
};

}  // namespace gateway
