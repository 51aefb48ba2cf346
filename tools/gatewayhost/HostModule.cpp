#include "gatewayhost/HostModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "gatewayhost/HostMessages.h"

namespace gateway::host {

namespace {

// The text of the last dl* failure, or `fallback` when there is none.
std::string DlError(const char* fallback) {
  const char* message = ::dlerror();
  return message != nullptr ? message : fallback;
}

}  // namespace

Module::Module(const std::string& path) : path_(path) {
  // Loaded by its absolute path: a bare file name would send dlopen to the
  // library search path, and the module finds its gateway root from the path
  // it was loaded by (a relative one would lead it to where symbolic links
  // point instead).
  std::error_code error;
  std::string file = std::filesystem::absolute(path, error).string();
  if (error) file = path.find('/') == std::string::npos ? "./" + path : path;
  ::dlerror();
  handle_ = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) throw std::runtime_error("cannot load module: " + DlError(path.c_str()));

  // The exports are looked up here so that a library that is not a module is
  // refused at once, before anything runs.
  ::dlerror();
  get_operaters_ = reinterpret_cast<GetOperatersFunction>(::dlsym(handle_, kGetOperatersSymbol));
  free_business_ = reinterpret_cast<FreeBusinessFunction>(::dlsym(handle_, kFreeBusinessSymbol));
  const char* missing = get_operaters_ == nullptr   ? kGetOperatersSymbol
                        : free_business_ == nullptr ? kFreeBusinessSymbol
                                                    : nullptr;
  if (missing != nullptr) {
    ::dlclose(handle_);
    throw std::runtime_error("'" + path + "' is not a business-object module: it does not export " +
                             missing);
  }
  // Optional: modules of earlier releases export neither.
  get_version_ =
      reinterpret_cast<GetModuleVersionFunction>(::dlsym(handle_, kGetModuleVersionSymbol));
  set_warning_handler_ =
      reinterpret_cast<SetWarningHandlerFunction>(::dlsym(handle_, kSetWarningHandlerSymbol));
  if (set_warning_handler_ != nullptr) set_warning_handler_(PrintModuleWarning);
}

Module::~Module() {
  if (set_warning_handler_ != nullptr) set_warning_handler_(nullptr);
  ::dlclose(handle_);
}

std::optional<std::string> Module::Version() const {
  if (get_version_ == nullptr) return std::nullopt;
  const char* version = get_version_();
  return std::string(version != nullptr ? version : "");
}

Business Module::NewBusiness() {
  IBusiness* business = nullptr;
  get_operaters_(&business);
  if (business == nullptr)
    throw std::runtime_error("'" + path_ + "' made no business object (GetOperaters gave none)");
  return Business(business, free_business_);
}

}  // namespace gateway::host
