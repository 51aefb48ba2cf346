// A loaded business-object module and the business objects it makes, each
// ended through the module's FreeBusiness when the host is done with it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "gateway/IBusiness.h"

namespace gateway::host {

// A business object made by GetOperaters. Ending it calls FreeBusiness; it
// must end before the module that made it is unloaded.
class Business {
 public:
  Business(IBusiness* business, FreeBusinessFunction free_business)
      : business_(business, free_business) {}

  IBusiness* operator->() const { return business_.get(); }
  IBusiness& operator*() const { return *business_; }

 private:
  std::unique_ptr<IBusiness, FreeBusinessFunction> business_;
};

// The module loaded with dlopen (RTLD_NOW | RTLD_LOCAL) and its exports; the
// module is unloaded when this ends. Its warnings, when it can give them, are
// printed on standard error. Failures raise std::runtime_error.
class Module {
 public:
  explicit Module(const std::string& path);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // A new business object (GetOperaters).
  Business NewBusiness();

  // The version the module reports; nullopt when it exports no GetModuleVersion.
  std::optional<std::string> Version() const;

 private:
  std::string path_;
  void* handle_ = nullptr;
  GetOperatersFunction get_operaters_ = nullptr;
  FreeBusinessFunction free_business_ = nullptr;
  GetModuleVersionFunction get_version_ = nullptr;
  SetWarningHandlerFunction set_warning_handler_ = nullptr;
};

}  // namespace gateway::host
