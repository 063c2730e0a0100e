#include "players/login.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "dialogs/input_box.h"
#include "dialogs/list_box.h"
#include "dialogs/message_box.h"
#include "dialogs/notice_box.h"
#include "platform/record_fields.h"
#include "players/name_owners.h"
#include "players/player_boxes.h"
#include "players/player_file.h"

namespace lexfray {

namespace {

constexpr std::array<std::string_view, 4> kBlockedWords = {"FUCK", "ASSHOLE", "SCUMBAG", "SHIT"};

constexpr int kListStyle = 2;
constexpr int kInputStyle = 0x81;
constexpr int kNoticeStyle = 0x22;
constexpr int kNoticeSeconds = 5;

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

std::string_view Trimmed(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool StartsWithTwoLetters(std::string_view name) {
  return name.size() >= 2 && IsAsciiLetter(name[0]) && IsAsciiLetter(name[1]);
}

void RefuseStart(Io& io) {
  Screen::Snapshot covered =
      SplashBoxShow(io, kNoticeStyle, kNoticeSeconds, "Logon Name MUST start with",
                    "2 ALPHA characters", "--- Will Only Take A Few Seconds ---", kIconInformation);
  SplashBoxHide(io, covered);
}

// A new player's name, or the empty text when it is refused.
std::string AskNewName(Io& io) {
  std::string name = ConsoleInputBox(io, kInputStyle, "Enter your name", "Acquire Player Name", "");
  if (name.size() > PlayerRecord::kNameWidth) name.resize(PlayerRecord::kNameWidth);
  if (NameIsBlocked(io, name)) name.clear();
  if (!StartsWithTwoLetters(name)) {
    RefuseStart(io);
    name.clear();
  }
  return name;
}

// What the login shows: the players as everybody sees them.
struct LoginRead {
  std::vector<std::string> list;
  std::optional<NameOwners> owners;  // in a shared installation, who took which name
  std::string failure;               // why the file could not be read, if it could not
};

LoginRead ReadLogin(const Settings& settings, PlayerRecord& buffer) {
  LoginRead read;
  std::optional<PlayerFileView> view = ReadPlayerFile(settings.programFolder, &read.failure);
  if (view) {
    const std::vector<std::uint8_t>& records = view->image.records;
    read.list.reserve(records.size() / PlayerRecord::kSize + 1);
    for (std::size_t at = 0; at < records.size(); at += PlayerRecord::kSize) {
      std::span<const std::uint8_t> bytes(records.data() + at, PlayerRecord::kSize);
      std::string name = UpperCase(Trimmed(NameField(bytes)));
      if (name != kComputerPlayer) read.list.push_back(std::move(name));
    }
    if (!records.empty())
      buffer = DecodePlayerRecord(std::span(records).last(PlayerRecord::kSize));
    if (settings.Shared()) read.owners = std::move(view->image.owners);
    // As the game has always done: the login leaves an empty player file behind.
    if (view->missing) CreatePlayerFile(settings.programFolder);
  }
  read.list.emplace_back(kNewPlayerEntry);
  return read;
}

}  // namespace

std::vector<std::string> LoginList(const Settings& settings, PlayerRecord& buffer) {
  return ReadLogin(settings, buffer).list;
}

std::string PlayerLogin(Io& io, const Settings& settings, PlayerRecord& buffer) {
  LoginRead read = ReadLogin(settings, buffer);
  if (!read.failure.empty()) {
    TellPlayersNotRead(io, read.failure);
    return {};
  }
  std::string chosen = ConsoleListBox(
      io, kListStyle, "Returning player? Please select your name, else select 'NEW PLAYER'",
      "PLAYER NAME LOGIN", read.list, kListReturnsText);
  std::string name = chosen == kNewPlayerEntry ? AskNewName(io) : chosen;
  // The game start asks again, when it claims the name: another account may take a free
  // name meanwhile.
  if (!name.empty() && read.owners &&
      read.owners->OwnedByAnother(ComparableName(name), settings.installation.uid)) {
    TellNameTaken(io, settings, name);
    return {};
  }
  return name;
}

bool NameIsBlocked(Io& io, std::string_view name) {
  std::string upper = UpperCase(name);
  for (std::string_view word : kBlockedWords) {
    if (upper.find(word) == std::string::npos) continue;
    ConsoleMessageBox(io,
                      "Some part of the player name you entered contains words that are not "
                      "acceptable! Please try again soon!",
                      kStyleOk, "INVALID PLAYER NAME", kIconNone);
    return true;
  }
  return false;
}

std::string VisitName(std::string_view loginName) {
  std::string name = UpperCase(loginName);
  name.resize(PlayerRecord::kNameWidth, ' ');
  return name;
}

}  // namespace lexfray
