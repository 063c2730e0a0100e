// QUILLON.DIX with quillon.dic: loading the index and looking words up agree with a plain
// reading of the two files.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <set>
#include <string_view>

#include "fuzz_check.h"
#include "game/dictionary.h"
#include "support/temp_folder.h"

using namespace lexfray;

namespace {

using Index = std::array<std::int64_t, kIndexNumbers>;

// The index as a reader who knows only the file's description reads it: the first 27 words
// between blanks, tabs and line ends are plain decimal numbers, from 1 upwards, never
// falling, the last within the word file.
std::optional<Index> PlainIndex(const std::string& text, std::int64_t words) {
  constexpr std::string_view kBlanks = " \t\r\n";
  Index index{};
  std::size_t at = 0;
  for (std::int64_t& number : index) {
    std::size_t start = text.find_first_not_of(kBlanks, at);
    if (start == std::string::npos) return std::nullopt;
    at = std::min(text.find_first_of(kBlanks, start), text.size());
    auto [end, error] = std::from_chars(text.data() + start, text.data() + at, number);
    if (error != std::errc() || end != text.data() + at) return std::nullopt;
  }
  for (std::size_t k = 0; k < index.size(); ++k)
    if (index[k] < 1 || (k > 0 && index[k] < index[k - 1])) return std::nullopt;
  if (index.back() > words) return std::nullopt;
  return index;
}

bool PlainLookup(const std::optional<Index>& index, const std::string& words, std::string_view word) {
  if (!index || word.empty() || word.size() > kWordRecordSize) return false;
  if (word[0] < 'A' || word[0] > 'Z') return false;
  std::string record = RecordOf(word);
  int letter = word[0] - 'A';
  for (std::int64_t n = (*index)[letter]; n <= (*index)[letter + 1]; ++n)
    if (words.compare(static_cast<std::size_t>(n - 1) * kWordRecordSize, kWordRecordSize, record) == 0)
      return true;
  return false;
}

// The words worth asking for: every record of the word file, trimmed, and a few that are
// surely missing.
std::set<std::string> Candidates(const std::string& words) {
  std::set<std::string> candidates = {"CAT", "ZZZZZZZ", "A", ""};
  for (std::size_t at = 0; at + kWordRecordSize <= words.size(); at += kWordRecordSize) {
    std::string word = words.substr(at, kWordRecordSize);
    word.erase(word.find_last_not_of(' ') + 1);
    candidates.insert(word);
  }
  return candidates;
}

}  // namespace

// The input is the index text, a zero byte, then the word file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input = fuzz::Bytes(data, size);
  std::size_t split = input.find('\0');
  if (split == std::string_view::npos) return 0;
  std::string indexText(input.substr(0, split));
  std::string words(input.substr(split + 1));

  testing::TempFolder folder;
  folder.Write("QUILLON.DIX", indexText);
  folder.Write("quillon.dic", words);
  DictionaryIndex loaded = LoadDictionaryIndex(folder.PathOf("QUILLON.DIX"), folder.PathOf("quillon.dic"));
  std::optional<Index> plain =
      PlainIndex(indexText, static_cast<std::int64_t>(words.size() / kWordRecordSize));
  fuzz::Require(loaded.usable == plain.has_value(), "the index is usable exactly when it is sound");
  if (plain) fuzz::Require(loaded.dictIndex == *plain, "the index numbers are read as written");

  for (const std::string& word : Candidates(words))
    fuzz::Require(SearchWordFile(folder.PathOf("quillon.dic"), loaded, word) ==
                      PlainLookup(plain, words, word),
                  "a lookup finds exactly the words of the letter's span");
  return 0;
}
