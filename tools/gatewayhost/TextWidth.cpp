#include "gatewayhost/TextWidth.h"

#include <locale.h>
#include <wchar.h>

#include <cstdio>
#include <cwchar>

namespace gateway::host {

namespace {

// The C.UTF-8 locale, made once (glibc has it built in); null when the C
// library has none, and every character then counts as one column.
locale_t Utf8Locale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

// Runs with C.UTF-8 as this thread's locale, and puts the previous one back.
class ScopedUtf8Locale {
 public:
  ScopedUtf8Locale() : previous_(Utf8Locale() ? uselocale(Utf8Locale()) : nullptr) {}
  ~ScopedUtf8Locale() {
    if (previous_ != nullptr) uselocale(previous_);
  }
  ScopedUtf8Locale(const ScopedUtf8Locale&) = delete;
  ScopedUtf8Locale& operator=(const ScopedUtf8Locale&) = delete;

 private:
  locale_t previous_;
};

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

size_t DisplayWidth(std::string_view text) {
  ScopedUtf8Locale utf8;
  size_t width = 0;
  std::mbstate_t state{};
  while (!text.empty()) {
    wchar_t character = 0;
    size_t length = std::mbrtowc(&character, text.data(), text.size(), &state);
    if (length == static_cast<size_t>(-1) || length == static_cast<size_t>(-2)) {
      // Not UTF-8 (the host only shows UTF-8, but a byte must not stop the count).
      state = std::mbstate_t{};
      length = 1;
      width += 1;
    } else {
      if (length == 0) length = 1;  // a NUL character
      const int columns = wcwidth(character);
      width += columns < 0 ? 1 : static_cast<size_t>(columns);
    }
    text.remove_prefix(length);
  }
  return width;
}

std::string OneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (const char byte : text) {
    const unsigned char c = static_cast<unsigned char>(byte);
    if (!IsControl(c)) {
      line += static_cast<char>(c);
    } else if (c == '\n') {
      line += "\\n";
    } else if (c == '\t') {
      line += "\\t";
    } else if (c == '\r') {
      line += "\\r";
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      line += escaped;
    }
  }
  return line;
}

}  // namespace gateway::host
