#include "platform/escaped_text.h"

#include <charconv>

namespace lexfray {

std::string PercentEscaped(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '%') {
      out += c;
      continue;
    }
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
  }
  return out;
}

std::string PercentUnescaped(std::string_view escaped) {
  std::string out;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    unsigned value = 0;
    if (escaped[i] == '%' && i + 2 < escaped.size() &&
        std::from_chars(escaped.data() + i + 1, escaped.data() + i + 3, value, 16).ec == std::errc()) {
      out += static_cast<char>(value);
      i += 2;
      continue;
    }
    out += escaped[i];
  }
  return out;
}

}  // namespace lexfray
