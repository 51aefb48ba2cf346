#include "config/RequestSettings.h"

#include "gateway/Exception.h"
#include "text/XmlText.h"

namespace gateway {

namespace {

const TRequestSettings*& Current() {
  static const TRequestSettings* current = nullptr;
  return current;
}

}  // namespace

void TRequestSettings::AppendEncodedItem(std::string& list, const std::string& item) const {
  list += Seperator;
  list += EncodeSeparator(item, Seperator);
}

const TRequestSettings& RequestSettings() {
  if (Current() == nullptr) {
    throw Exception("The global parameters do not exist: the library is not started");
  }
  return *Current();
}

void SetRequestSettings(const TRequestSettings* settings) { Current() = settings; }

}  // namespace gateway
