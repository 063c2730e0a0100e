#include "players/name_owners.h"

#include <algorithm>
#include <charconv>

#include "platform/escaped_text.h"
#include "platform/files.h"

namespace lexfray {

namespace {

struct Line {
  std::uint32_t account = 0;
  std::string_view name;  // escaped
};

std::optional<Line> ParseLine(std::string_view line) {
  std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  Line parsed;
  auto [end, error] = std::from_chars(line.data(), line.data() + blank, parsed.account);
  if (error != std::errc() || end != line.data() + blank) return std::nullopt;
  parsed.name = line.substr(blank + 1);
  return parsed;
}

// Calls visit with each line and where it starts, until visit returns false.
template <typename Visit>
void EachLine(std::string_view lines, Visit visit) {
  std::size_t at = 0;
  while (at < lines.size()) {
    std::size_t end = lines.find('\n', at);
    if (!visit(lines.substr(at, end - at), at)) return;
    at = end + 1;
  }
}

}  // namespace

NameOwners::NameOwners(std::string bytes) : lines_(std::move(bytes)) {
  std::size_t last = lines_.rfind('\n');
  lines_.resize(last == std::string::npos ? 0 : last + 1);
  count_ = std::count(lines_.begin(), lines_.end(), '\n');
}

std::optional<std::uint32_t> NameOwners::OwnerOf(std::string_view comparable) const {
  std::string name = PercentEscaped(comparable);
  std::optional<std::uint32_t> owner;
  EachLine(lines_, [&](std::string_view text, std::size_t) {
    std::optional<Line> line = ParseLine(text);
    if (line && line->name == name) owner = line->account;
    return !owner;
  });
  return owner;
}

bool NameOwners::OwnedByAnother(std::string_view comparable, std::uint32_t account) const {
  std::optional<std::uint32_t> owner = OwnerOf(comparable);
  return owner && *owner != account;
}

std::int64_t NameOwners::CountOf(std::uint32_t account) const {
  std::int64_t count = 0;
  EachLine(lines_, [&](std::string_view text, std::size_t) {
    std::optional<Line> line = ParseLine(text);
    count += line && line->account == account;
    return true;
  });
  return count;
}

void NameOwners::Add(std::string_view comparable, std::uint32_t account) {
  lines_ += std::to_string(account) + " " + PercentEscaped(comparable) + "\n";
  ++count_;
}

bool NameOwners::Remove(std::string_view comparable) {
  std::string name = PercentEscaped(comparable);
  bool removed = false;
  EachLine(lines_, [&](std::string_view text, std::size_t at) {
    std::optional<Line> line = ParseLine(text);
    if (!line || line->name != name) return true;
    lines_.erase(at, text.size() + 1);
    --count_;
    removed = true;
    return false;
  });
  return removed;
}

std::vector<std::pair<std::uint32_t, std::string>> NameOwners::All() const {
  std::vector<std::pair<std::uint32_t, std::string>> all;
  EachLine(lines_, [&](std::string_view text, std::size_t) {
    if (std::optional<Line> line = ParseLine(text)) all.emplace_back(line->account, std::string(line->name));
    return true;
  });
  return all;
}

std::string ShownName(std::string_view comparable) { return PercentEscaped(comparable); }

std::string NameFromShown(std::string_view shown) { return PercentUnescaped(shown); }

std::int64_t NamesPerAccount(const std::string& path) {
  std::optional<std::string> text = ReadSmallFile(path, 64);
  if (!text) return kDefaultNamesPerAccount;
  std::string_view digits = *text;
  digits.remove_prefix(std::min(digits.size(), digits.find_first_not_of(" \t")));
  std::int64_t number = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || number < 0 || number > kMostOwnedNames) return kDefaultNamesPerAccount;
  return number;
}

}  // namespace lexfray
