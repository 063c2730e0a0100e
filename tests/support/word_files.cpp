#include "support/word_files.h"

#include <algorithm>

#include "config/constants.h"
#include "dictionary_files.h"

namespace lexfray::testing {

void WriteDictionary(const TempFolder& folder, std::vector<std::string> words) {
  std::sort(words.begin(), words.end());
  words.erase(std::unique(words.begin(), words.end()), words.end());
  mkdict::DictionaryFiles files = mkdict::BuildDictionaryFiles(words);
  folder.Write(kWordFileName, files.words);
  folder.Write(kIndexFileName, files.index);
}

}  // namespace lexfray::testing
