// The base of every interface a business-object module hands to its host:
// an interface identifier type and the three reference-counting operations.
#pragma once

#include <cstdint>

namespace gateway {

// A 128-bit interface identifier, laid out as its textual form reads.
struct Guid {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];

  friend bool operator==(const Guid&, const Guid&) = default;
};

// Results of QueryInterface.
inline constexpr int32_t kInterfaceOk = 0;
inline constexpr int32_t kNoInterface = static_cast<int32_t>(0x80004002u);

// The identifier every interface answers to.
inline constexpr Guid kIID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Reference counting as hosts know it. Objects are never deleted through an
// interface pointer: whoever owns an object ends it.
class IInterface {
 public:
  // On success stores the interface in *object, adds a reference and returns
  // kInterfaceOk; otherwise stores nullptr and returns kNoInterface.
  virtual int32_t QueryInterface(const Guid& iid, void** object) = 0;
  virtual int32_t AddRef() = 0;
  virtual int32_t Release() = 0;

 protected:
  ~IInterface() = default;
};

}  // namespace gateway
