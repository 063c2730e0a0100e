#include "platform/record_fields.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstring>

namespace lexfray {

namespace fields {

std::string GetText(ConstBytes record, std::size_t offset, std::size_t width) {
  return std::string(reinterpret_cast<const char*>(record.data() + offset), width);
}

void PutText(Bytes record, std::size_t offset, std::size_t width, std::string_view text) {
  std::size_t used = std::min(width, text.size());
  std::memcpy(record.data() + offset, text.data(), used);
  std::memset(record.data() + offset + used, ' ', width - used);
}

std::int16_t GetInt16(ConstBytes record, std::size_t offset) {
  auto low = static_cast<std::uint16_t>(record[offset]);
  auto high = static_cast<std::uint16_t>(record[offset + 1]);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
}

void PutInt16(Bytes record, std::size_t offset, std::int16_t value) {
  auto bits = static_cast<std::uint16_t>(value);
  record[offset] = static_cast<std::uint8_t>(bits & 0xFF);
  record[offset + 1] = static_cast<std::uint8_t>(bits >> 8);
}

double GetDouble(ConstBytes record, std::size_t offset) {
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | record[offset + static_cast<std::size_t>(i)];
  return std::bit_cast<double>(bits);
}

void PutDouble(Bytes record, std::size_t offset, double value) {
  auto bits = std::bit_cast<std::uint64_t>(value);
  for (std::size_t i = 0; i < 8; ++i) record[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

}  // namespace fields

std::string ComparableName(std::string_view text) {
  std::size_t end = text.find_last_not_of(' ');
  std::string name(text.substr(0, end == std::string_view::npos ? 0 : end + 1));
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

bool NamesMatch(std::string_view a, std::string_view b) { return ComparableName(a) == ComparableName(b); }

}  // namespace lexfray
