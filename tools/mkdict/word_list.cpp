#include "word_list.h"

#include <algorithm>

#include "game/game_state.h"

namespace lexfray::mkdict {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line;
}

// What is wrong with a word, or the empty text.
std::string ProblemOf(std::string_view word) {
  std::string quoted = "\"" + std::string(word) + "\"";
  if (!std::all_of(word.begin(), word.end(), IsLetter))
    return quoted + " holds a character that is not a letter A to Z";
  if (word.size() < static_cast<std::size_t>(kShortestWord))
    return quoted + " is shorter than " + std::to_string(kShortestWord) + " letters";
  if (word.size() > static_cast<std::size_t>(kLongestWord))
    return quoted + " is longer than " + std::to_string(kLongestWord) + " letters";
  return {};
}

}  // namespace

std::variant<std::vector<std::string>, WordListError> ReadWordList(std::string_view text) {
  std::vector<std::string> words;
  int number = 0;
  while (!text.empty()) {
    std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view word = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    ++number;
    if (word.empty()) continue;
    if (std::string problem = ProblemOf(word); !problem.empty()) return WordListError{number, problem};
    std::string upper(word);
    std::transform(upper.begin(), upper.end(), upper.begin(), Upper);
    words.push_back(std::move(upper));
  }
  std::sort(words.begin(), words.end());
  words.erase(std::unique(words.begin(), words.end()), words.end());
  return words;
}

}  // namespace lexfray::mkdict
