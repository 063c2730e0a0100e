#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace lexfray {

// Field-by-field access to fixed-length records: texts padded with blanks to their width
// and cut at it, numbers little-endian, never a C++ struct copied onto the bytes.
namespace fields {

using Bytes = std::span<std::uint8_t>;
using ConstBytes = std::span<const std::uint8_t>;

std::string GetText(ConstBytes record, std::size_t offset, std::size_t width);
void PutText(Bytes record, std::size_t offset, std::size_t width, std::string_view text);

std::int16_t GetInt16(ConstBytes record, std::size_t offset);
void PutInt16(Bytes record, std::size_t offset, std::int16_t value);

double GetDouble(ConstBytes record, std::size_t offset);
void PutDouble(Bytes record, std::size_t offset, double value);

}  // namespace fields

// Upper case with trailing blanks removed: the form in which names and sites are compared.
std::string ComparableName(std::string_view text);
bool NamesMatch(std::string_view a, std::string_view b);

}  // namespace lexfray
