// The one exception type that crosses from a business-object module into its
// host: a message and an integer code (the help context). Every failure the
// library raises is this type or derives from it, so a host that catches
// gateway::Exception sees them all.
#pragma once

#include <exception>
#include <string>
#include <utility>

#define GATEWAY_API __attribute__((visibility("default")))

namespace gateway {

// Header-only on purpose: a host compiled against this header alone catches the
// exceptions a module throws, since both sides see the same type by name.
class GATEWAY_API Exception : public std::exception {
 public:
  explicit Exception(std::string message, int help_context = 0)
      : message_(std::move(message)), help_context_(help_context) {}

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }
  int HelpContext() const noexcept { return help_context_; }

 private:
  std::string message_;
  int help_context_;
};

}  // namespace gateway
