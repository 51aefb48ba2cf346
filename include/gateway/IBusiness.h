// IBusiness: a business object as a host drives it, its operator list, and
// the functions a business-object module exports. Texts are UTF-8; every
// failure that reaches the host is a gateway::Exception.
#pragma once

#include <cstdint>
#include <string>

#include "gateway/Exception.h"
#include "gateway/IOperater.h"
#include "gateway/IPool.h"
#include "gateway/Interface.h"

namespace gateway {

// {2922EA73-E1EA-414D-B3E5-50F5FCCD0608}
inline constexpr Guid kIID_IBusiness = {
    0x2922EA73, 0xE1EA, 0x414D, {0xB3, 0xE5, 0x50, 0xF5, 0xFC, 0xCD, 0x06, 0x08}};

// The operators of a business object in their fixed order. The pointers it
// hands out are borrowed: the list holds the operators while the business
// object lives.
class IOperaterList {
 public:
  virtual int32_t GetCount() = 0;
  // The operator at a 0-based index; an index outside the list raises.
  virtual IOperater* GetItem(int32_t index) = 0;
  // The first operator whose name equals `name` without regard to letter
  // case; nullptr when none does.
  virtual IOperater* FindOperater(const std::string& name) = 0;
  virtual bool HasOperater(const std::string& name, IOperater*& operater) = 0;

 protected:
  ~IOperaterList() = default;
};

// A business object. Its reference counting is switched off (AddRef and
// Release return -1 and never end it); a host ends it with FreeBusiness.
class IBusiness : public IInterface {
 public:
  virtual IOperaterList* GetOperaterList() = 0;
  // Takes the parameter text (its Factory element selects the company) and
  // loads the object's metadata; returns 0.
  virtual int32_t Initialize(const std::string& params) = 0;

 protected:
  ~IBusiness() = default;
};

}  // namespace gateway

extern "C" {
// Creates a new business object and stores its interface in *business.
using GetOperatersFunction = void (*)(gateway::IBusiness** business);
// Ends a business object made by GetOperaters, with its operators and pools.
using FreeBusinessFunction = void (*)(gateway::IBusiness* business);

// Optional exports: a host looks them up and does without when a module
// lacks them (modules of earlier releases export only the two above).
// The module's version (GATEWAY_VERSION when it was built), a static text.
using GetModuleVersionFunction = const char* (*)();
// Receives one warning of the module as one line of UTF-8 text: something the
// module carries on without but a person should see (a missing configuration
// or metadata file, a request element it does not read). The text is valid
// only during the call; the handler must not raise.
using WarningHandler = void (*)(const char* text);
// Makes the module pass its warnings (which it also writes to its trace log)
// to `handler`; nullptr stops it.
using SetWarningHandlerFunction = void (*)(WarningHandler handler);
}

// The exported names, for dlsym.
inline constexpr const char kGetOperatersSymbol[] = "GetOperaters";
inline constexpr const char kFreeBusinessSymbol[] = "FreeBusiness";
inline constexpr const char kGetModuleVersionSymbol[] = "GetModuleVersion";
inline constexpr const char kSetWarningHandlerSymbol[] = "SetWarningHandler";
