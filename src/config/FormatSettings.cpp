#include "config/FormatSettings.h"

namespace gateway {

const FormatSettings& DefaultFormatSettings() {
  static const FormatSettings settings;
  return settings;
}

}  // namespace gateway
