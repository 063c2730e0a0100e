#include "game/dictionary.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "platform/files.h"

namespace lexfray {

namespace {

// Far beyond any word list; keeps every byte offset well inside 64 bits.
constexpr std::int64_t kMostRecords = std::int64_t{1} << 40;
// Many times the size of 27 numbers however written: a larger file is no index.
constexpr std::size_t kLargestIndex = 64 * 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The next whitespace-separated token of text from position at.
std::string_view NextToken(std::string_view text, std::size_t& at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  std::size_t start = at;
  while (at < text.size() && !IsBlank(text[at])) ++at;
  return text.substr(start, at - start);
}

std::optional<std::int64_t> RecordNumber(std::string_view token) {
  std::int64_t value = 0;
  auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || end != token.data() + token.size()) return std::nullopt;
  if (value < 1 || value > kMostRecords) return std::nullopt;
  return value;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A record as a number: its 7 bytes in the low bytes of 8, so that a comparison is one
// load and one compare rather than a call of memcmp.
constexpr std::uint64_t kRecordMask = (std::uint64_t{1} << (8 * kWordRecordSize)) - 1;
std::uint64_t RecordAt(const char* bytes) {
  std::uint64_t value = 0;
  std::memcpy(&value, bytes, sizeof value);
  return value & kRecordMask;
}

// bytes must hold one byte more than size, for the load of the last record.
bool HoldsRecord(const char* bytes, std::size_t size, std::uint64_t record) {
  for (std::size_t at = 0; at + kWordRecordSize <= size; at += kWordRecordSize)
    if (RecordAt(bytes + at) == record) return true;
  return false;
}

// Searches bytes [start, start + length) of the file piece by piece; the partial record
// at the end of one piece is carried to the front of the next and compared whole.
bool SearchSpan(std::FILE* file, std::int64_t start, std::int64_t length, std::uint64_t record) {
  if (std::fseek(file, static_cast<long>(start), SEEK_SET) != 0) return false;
  std::array<char, kLookupPiece + kWordRecordSize + 1> buffer;
  std::size_t carried = 0;
  for (std::int64_t remaining = length; remaining > 0;) {
    std::size_t piece = static_cast<std::size_t>(std::min<std::int64_t>(remaining, kLookupPiece));
    std::size_t got = std::fread(buffer.data() + carried, 1, piece, file);
    std::size_t held = carried + got;
    buffer[held] = 0;  // the byte after the last record, which its load takes in
    std::size_t whole = held - held % kWordRecordSize;
    if (HoldsRecord(buffer.data(), whole, record)) return true;
    if (got < piece) return false;  // the file is shorter than the index says
    carried = held - whole;
    std::memmove(buffer.data(), buffer.data() + whole, carried);
    remaining -= static_cast<std::int64_t>(piece);
  }
  return false;
}

DictionaryIndex Unusable(std::string problem) {
  DictionaryIndex index;
  index.problem = std::move(problem);
  return index;
}

// The system's words of a failed read, without the file's name that comes before them.
std::string SystemReason(const std::string& error) {
  std::size_t colon = error.rfind(": ");
  return colon == std::string::npos ? error : error.substr(colon + 2);
}

}  // namespace

DictionaryIndex ParseDictionaryIndex(std::string_view text) {
  DictionaryIndex index;
  std::size_t at = 0;
  std::int64_t previous = 1;
  for (int k = 1; k <= kIndexNumbers; ++k) {
    std::string_view token = NextToken(text, at);
    std::optional<std::int64_t> value = RecordNumber(token);
    if (token.empty())
      return Unusable("it holds " + std::to_string(k - 1) + " of its " +
                      std::to_string(kIndexNumbers) + " numbers");
    if (!value || *value < previous)
      return Unusable("its number " + std::to_string(k) +
                      (value ? " is smaller than the one before it"
                             : " is not a record number (a whole number from 1)"));
    index.dictIndex[static_cast<std::size_t>(k - 1)] = previous = *value;
  }
  index.usable = true;
  return index;
}

DictionaryIndex LoadDictionaryIndex(const std::string& indexPath, const std::string& wordFilePath) {
  std::string named = "The dictionary index " + indexPath;
  if (!FileExists(indexPath)) return Unusable(named + " is missing, or is no ordinary file.");
  std::string error;
  std::optional<std::string> text = ReadSmallFile(indexPath, kLargestIndex, &error);
  if (!text && RegularFileSize(indexPath).value_or(0) > kLargestIndex)
    return Unusable(named + " is too large for an index: more than " +
                    std::to_string(kLargestIndex) + " bytes.");
  if (!text) return Unusable(named + " cannot be read (" + SystemReason(error) + ").");
  DictionaryIndex index = ParseDictionaryIndex(*text);
  if (!index.usable) return Unusable(named + " is damaged: " + index.problem + ".");
  std::string words = "the word file " + wordFilePath;
  std::optional<std::uint64_t> size = RegularFileSize(wordFilePath);
  if (!size) return Unusable(named + " stands without " + words + ", which is missing.");
  std::int64_t records = static_cast<std::int64_t>(*size / kWordRecordSize);
  if (index.dictIndex.back() > records)
    return Unusable(named + " reaches beyond " + words + ": to record " +
                    std::to_string(index.dictIndex.back()) + " of its " + std::to_string(records) + ".");
  return index;
}

std::string RecordOf(std::string_view word) {
  std::string record(word);
  if (record.size() < kWordRecordSize) record.resize(kWordRecordSize, ' ');
  return record;
}

bool SearchWordFile(const std::string& wordFilePath, const DictionaryIndex& index,
                    std::string_view word) {
  if (!index.usable || word.empty() || word.size() > kWordRecordSize) return false;
  if (word.front() < 'A' || word.front() > 'Z') return false;
  File file(OpenStream(wordFilePath, "rb"));
  if (!file) return false;
  // Unbuffered: every piece goes straight into our buffer in one read.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  std::size_t letter = static_cast<std::size_t>(word.front() - 'A');
  std::int64_t first = index.dictIndex[letter];
  std::int64_t last = index.dictIndex[letter + 1];
  std::int64_t size = static_cast<std::int64_t>(kWordRecordSize);
  std::string record = RecordOf(word);  // with its terminating zero: 8 bytes to load
  return SearchSpan(file.get(), size * (first - 1), size * (last - first) + size, RecordAt(record.c_str()));
}

}  // namespace lexfray
