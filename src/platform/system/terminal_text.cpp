#include "platform/system/terminal_text.h"

#include "console/cp437.h"

namespace lexfray {

std::string WithoutPadding(std::string_view capability) {
  std::string out;
  for (std::size_t i = 0; i < capability.size(); ++i) {
    if (capability.substr(i, 2) == "$<") {
      std::size_t end = capability.find('>', i);
      if (end != std::string_view::npos) {
        i = end;
        continue;
      }
    }
    out.push_back(capability[i]);
  }
  return out;
}

std::string Utf8Of(char32_t ch) {
  std::string out;
  if (ch < 0x80) {
    out.push_back(static_cast<char>(ch));
  } else if (ch < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
    out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  } else if (ch < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
    out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (ch >> 18)));
    out.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  }
  return out;
}

std::string TitleText(std::string_view text, bool unicode) {
  std::string out;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F)
      out.push_back(c);
    else if (unicode)
      out += Utf8Of(Cp437ToUnicode(byte));
    else
      out.push_back('?');
  }
  return out;
}

}  // namespace lexfray
