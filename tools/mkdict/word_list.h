#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lexfray::mkdict {

// A line of the word list that cannot be a word of the game.
struct WordListError {
  int line;             // from 1
  std::string problem;  // names the word and what is wrong with it
};

// The words of a list of one word a line (LF or CR LF; blanks around a word and empty
// lines are ignored), upper-cased, sorted and without duplicates. Every word must be 3 to
// 7 letters A..Z (either case); the first line that is not gives the error.
std::variant<std::vector<std::string>, WordListError> ReadWordList(std::string_view text);

}  // namespace lexfray::mkdict
