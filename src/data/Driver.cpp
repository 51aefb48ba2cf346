#include "data/Driver.h"

#include "text/TextCase.h"

namespace gateway {

DriverStatement::~DriverStatement() = default;
DriverConnection::~DriverConnection() = default;

std::string UniqueFieldName(std::string_view name, std::set<std::string>& taken) {
  std::string candidate(name);
  for (int n = 1; !taken.insert(UpperCaseAscii(candidate)).second; ++n) {
    candidate = std::string(name) + "_" + std::to_string(n);
  }
  return candidate;
}

std::string ShortenStatement(std::string_view sql) {
  constexpr size_t kLimit = 500;
  std::string text(sql.substr(0, kLimit));
  if (sql.size() > kLimit) text += "...";
  return text;
}

}  // namespace gateway
