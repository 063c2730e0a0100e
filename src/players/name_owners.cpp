#include "players/name_owners.h"

#include <algorithm>
#include <charconv>

#include "config/constants.h"
#include "dialogs/message_box.h"
#include "platform/files.h"
#include "platform/line_file.h"
#include "platform/record_fields.h"

namespace lexfray {

namespace {

// An account number of ten digits, a blank, a name of thirty bytes written as %XX each.
constexpr std::size_t kLongestLine = 10 + 1 + 3 * 30 + 1;

std::string Escaped(std::string_view comparable) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : comparable) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '%') {
      out += c;
      continue;
    }
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
  }
  return out;
}

// The number of a line's account, when the line is one of the file's.
std::optional<std::uint32_t> AccountOf(std::string_view line, std::string_view escapedName) {
  std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos || line.substr(blank + 1) != escapedName) return std::nullopt;
  std::uint32_t uid = 0;
  auto [end, error] = std::from_chars(line.data(), line.data() + blank, uid);
  if (error != std::errc() || end != line.data() + blank) return std::nullopt;
  return uid;
}

}  // namespace

NameOwners::NameOwners(std::string path, std::string lines)
    : path_(std::move(path)), lines_(std::move(lines)) {
  // A line torn at the end by a crash is no line: the next claim writes over it.
  lines_.resize(lines_.rfind('\n') == std::string::npos ? 0 : lines_.rfind('\n') + 1);
  count_ = std::count(lines_.begin(), lines_.end(), '\n');
}

std::optional<NameOwners> NameOwners::Read(const Settings& settings, std::string* error) {
  std::string path = settings.PathOf(kOwnersFileName);
  if (!FileExists(path)) return NameOwners(path, {});
  std::optional<std::string> bytes =
      ReadSmallFile(path, static_cast<std::size_t>(kMostOwnedNames) * kLongestLine, error);
  if (!bytes) return std::nullopt;
  return NameOwners(path, std::move(*bytes));
}

std::optional<std::uint32_t> NameOwners::OwnerOf(std::string_view comparable) const {
  std::string name = Escaped(comparable);
  std::string_view rest = lines_;
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    if (std::optional<std::uint32_t> uid = AccountOf(rest.substr(0, end), name)) return uid;
    rest.remove_prefix(end + 1);
  }
  return std::nullopt;
}

bool NameOwners::OwnedByAnother(std::string_view comparable, std::uint32_t uid) const {
  std::optional<std::uint32_t> owner = OwnerOf(comparable);
  return owner && *owner != uid;
}

bool NameOwners::Claim(std::string_view comparable, std::uint32_t uid, std::string* error) {
  if (count_ >= kMostOwnedNames) {
    if (error)
      *error = path_ + " is full: " + std::to_string(kMostOwnedNames) +
               " names have been taken on this machine";
    return false;
  }
  std::string line = std::to_string(uid) + " " + Escaped(comparable) + "\n";
  if (!WriteAfterLastLine(path_, lines_.size(), line, error)) return false;
  lines_ += line;
  ++count_;
  return true;
}

void TellNameTaken(Io& io, const Settings& settings, std::string_view name) {
  ConsoleMessageBox(io,
                    "The player name " + ComparableName(name) +
                        " belongs to another account of this machine, and only that account "
                        "plays it.\n\nPlease choose a name of your own (you play as the account " +
                        settings.installation.loginName + "), or enter a new one.",
                    kStyleExclamation, "NAME TAKEN", kIconWarning);
}

}  // namespace lexfray
