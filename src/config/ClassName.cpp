#include "config/ClassName.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

namespace gateway {

std::string ClassNameOf(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
  std::string name = (status == 0 && demangled) ? demangled.get() : type.name();
  // Cut template arguments first, so a "::" inside them cannot confuse the cut below.
  if (auto angle = name.find('<'); angle != std::string::npos) name.erase(angle);
  if (auto colons = name.rfind("::"); colons != std::string::npos) name.erase(0, colons + 2);
  return name;
}

}  // namespace gateway
