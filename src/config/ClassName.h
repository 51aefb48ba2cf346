// The run-time class name of an object as the logs and messages show it: the
// bare class name, without namespaces or template arguments ("TTextNodePool").
#pragma once

#include <string>
#include <typeinfo>

namespace gateway {

std::string ClassNameOf(const std::type_info& type);

template <class T>
std::string ClassNameOf(const T& object) {
  return ClassNameOf(typeid(object));
}

}  // namespace gateway
