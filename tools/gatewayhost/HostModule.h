// A loaded business-object module and the business objects it makes, each
// ended through the module's FreeBusiness when the host is done with it.
#pragma once

#include <memory>
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

// The module loaded with dlopen (RTLD_NOW | RTLD_LOCAL) and its two exports;
// the module is unloaded when this ends. Failures raise std::runtime_error.
class Module {
 public:
  explicit Module(const std::string& path);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // A new business object (GetOperaters).
  Business NewBusiness();

 private:
  std::string path_;
  void* handle_ = nullptr;
  GetOperatersFunction get_operaters_ = nullptr;
  FreeBusinessFunction free_business_ = nullptr;
};

}  // namespace gateway::host
