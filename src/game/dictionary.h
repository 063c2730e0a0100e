#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lexfray {

// The word file: records of 7 bytes, one upper-case word each, padded with blanks, grouped
// by first letter from A to Z.
inline constexpr std::size_t kWordRecordSize = 7;
// The index: 27 record numbers (from 1). Number k (1 = A .. 26 = Z) is the first record of
// letter k's span, number 27 closes the span of Z; letter k's words stand in records
// number k to number k + 1, both included.
inline constexpr int kIndexNumbers = 27;
// A lookup reads its span in pieces no larger than this.
inline constexpr std::size_t kLookupPiece = 32000;

struct DictionaryIndex {
  std::array<std::int64_t, kIndexNumbers> dictIndex{};  // dictIndex[k - 1] is number k
  // 27 whole numbers, each at least 1 and none smaller than the one before, and (once
  // loaded) the last of them inside the word file.
  bool usable = false;
  // Why it is not usable, for whoever looks after the installation: what is wrong, and
  // (once loaded) in which file. Empty when it is usable.
  std::string problem;
};

// The first 27 numbers of the index text (whitespace between them, CR LF lines as written);
// an index with fewer, or with anything but whole numbers among them, is not usable.
DictionaryIndex ParseDictionaryIndex(std::string_view text);

// Reads the index file and checks it against the word file: a missing, unreadable or huge
// (over 64 KiB) index, or one reaching beyond the records of the word file, is not usable.
// Its problem is a sentence that names the file.
DictionaryIndex LoadDictionaryIndex(const std::string& indexPath, const std::string& wordFilePath);

// The word blank-padded to a full record (a 7-letter word as it is).
std::string RecordOf(std::string_view word);

// True when a whole record of the word's first-letter span equals the padded word. Only
// that span is read, in pieces of at most kLookupPiece bytes; the file is opened and
// closed here. An unusable index, a missing word file or a word that does not start with
// A..Z finds nothing; a word file that has shrunk since is searched only as far as it goes.
bool SearchWordFile(const std::string& wordFilePath, const DictionaryIndex& index,
                    std::string_view word);

}  // namespace lexfray
