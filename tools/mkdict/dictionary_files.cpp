#include "dictionary_files.h"

#include <algorithm>

#include "game/dictionary.h"

namespace lexfray::mkdict {

DictionaryFiles BuildDictionaryFiles(const std::vector<std::string>& sortedWords) {
  DictionaryFiles files;
  files.words.reserve(sortedWords.size() * kWordRecordSize);
  for (const std::string& word : sortedWords) files.words += RecordOf(word);
  const auto count = static_cast<std::int64_t>(sortedWords.size());
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    auto first = std::find_if(sortedWords.begin(), sortedWords.end(),
                              [letter](const std::string& word) { return word.front() >= letter; });
    std::int64_t record = std::min<std::int64_t>(first - sortedWords.begin() + 1, count);
    files.index += std::to_string(record) + "\r\n";
  }
  files.index += std::to_string(count) + "\r\n";
  return files;
}

}  // namespace lexfray::mkdict
