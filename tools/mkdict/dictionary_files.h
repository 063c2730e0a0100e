#pragma once

#include <string>
#include <vector>

namespace lexfray::mkdict {

// The bytes of the two dictionary files.
struct DictionaryFiles {
  std::string words;  // one 7-byte record a word, blank-padded
  std::string index;  // 27 record numbers, one a line, CR LF
};

// From words sorted in ascending order (at least one). Number k of the index is the first
// record of letter k; a letter without words gets the record where its words would
// start, or the last record when no later letter has words, so that the numbers never
// decrease and never reach past the file. Number 27 is the last record.
DictionaryFiles BuildDictionaryFiles(const std::vector<std::string>& sortedWords);

}  // namespace lexfray::mkdict
