#include "players/player_changes.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

#include "config/constants.h"
#include "platform/record_fields.h"
#include "players/file_month.h"
#include "players/total_score.h"

namespace lexfray {

namespace {

constexpr std::string_view kMark = "player-change-1";

std::span<std::uint8_t> RecordAt(std::vector<std::uint8_t>& records, std::int64_t n) {
  return std::span<std::uint8_t>(records).subspan(static_cast<std::size_t>(n - 1) * PlayerRecord::kSize,
                                                    PlayerRecord::kSize);
}

std::string Hex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::uint8_t byte : bytes) {
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
  }
  return out;
}

bool FromHex(std::string_view text, std::span<std::uint8_t> out) {
  if (text.size() != out.size() * 2) return false;
  for (std::size_t i = 0; i < out.size(); ++i) {
    unsigned value = 0;
    if (std::from_chars(text.data() + 2 * i, text.data() + 2 * i + 2, value, 16).ptr !=
        text.data() + 2 * i + 2)
      return false;
    out[i] = static_cast<std::uint8_t>(value);
  }
  return true;
}

// The counters a game start writes, from the change's record into the file's.
void CopyCounters(std::span<const std::uint8_t> from, std::span<std::uint8_t> to) {
  auto copy = [&](std::size_t offset, std::size_t width) {
    std::copy_n(from.begin() + static_cast<std::ptrdiff_t>(offset), width,
                to.begin() + static_cast<std::ptrdiff_t>(offset));
  };
  copy(player_fields::kMonthGames, 2);
  copy(player_fields::kLastPlayed, 8);
  copy(player_fields::kDayGames, 2);
}

bool SameMonth(const std::vector<std::uint8_t>& records, const std::string& fileMonth) {
  return fileMonth.empty() || FileMonthOf(records) == fileMonth;
}

bool ApplyCounters(const PlayerChange& change, PlayerFileImage& image) {
  const std::vector<std::int64_t>& found = image.RecordsOf(change.Name());
  if (found.empty() || !SameMonth(image.records, change.fileMonth)) return false;
  CopyCounters(change.record, RecordAt(image.records, found.front()));
  return true;
}

bool ApplyTotal(const PlayerChange& change, PlayerFileImage& image) {
  std::string name = change.Name();
  if (!SameMonth(image.records, change.fileMonth) || name == kProgramCode) return false;
  const std::vector<std::int64_t>& found = image.RecordsOf(name);
  for (std::int64_t n : found)
    fields::PutDouble(RecordAt(image.records, n), player_fields::kTotalScore, TotalToFile(change.total));
  return !found.empty();
}

// A claim that loses (another account has the name, or no room is left) takes nothing: the
// owners' line that an earlier try of the same change may have left goes too.
bool ApplyNewPlayer(const PlayerChange& change, PlayerFileImage& image) {
  std::string name = change.Name();
  if (const std::vector<std::int64_t>& found = image.RecordsOf(name); !found.empty()) {
    CopyCounters(change.record, RecordAt(image.records, found.front()));
    if (change.claim && !image.owners.OwnerOf(name)) image.owners.Add(name, change.account);
    return true;
  }
  bool ownedElsewhere = change.claim && image.owners.OwnedByAnother(name, change.account);
  bool ownersFull = change.claim && !image.owners.OwnerOf(name) &&
                    image.owners.Count() >= kMostOwnedNames;
  if (ownedElsewhere || ownersFull || image.Count() >= kMostPlayers) {
    if (change.claim && !ownedElsewhere) image.owners.Remove(name);
    return false;
  }
  image.records.insert(image.records.end(), change.record.begin(), change.record.end());
  image.Appended();
  if (change.claim && !image.owners.OwnerOf(name)) image.owners.Add(name, change.account);
  return true;
}

bool ApplyFreshStart(const PlayerChange& change, PlayerFileImage& image) {
  if (image.records.empty()) return false;
  LocalTime when;
  when.year = change.year;
  when.month = change.month;
  if (!BeganInAnEarlierMonth(DecodePlayerRecord(image.records), when)) return false;
  image.records.clear();
  image.Emptied();
  return true;
}

}  // namespace

std::string PlayerChange::Name() const { return ComparableName(NameField(record)); }

const std::vector<std::int64_t>& PlayerFileImage::RecordsOf(const std::string& comparable) {
  if (!index_) {
    index_.emplace();
    for (std::int64_t n = 1; n <= Count(); ++n)
      (*index_)[ComparableName(NameField(RecordAt(records, n)))].push_back(n);
  }
  return (*index_)[comparable];
}

void PlayerFileImage::Appended() {
  if (index_) (*index_)[ComparableName(NameField(RecordAt(records, Count())))].push_back(Count());
}

void PlayerFileImage::Emptied() { index_.reset(); }

std::string EncodePlayerChange(const PlayerChange& change) {
  char total[64];
  auto written = std::to_chars(total, total + sizeof total, change.total, std::chars_format::hex);
  std::ostringstream text;
  text << kMark << ' ' << static_cast<char>(change.kind) << ' ' << change.account << ' '
       << (change.claim ? 1 : 0) << ' ' << Hex(change.record) << ' '
       << std::string_view(total, static_cast<std::size_t>(written.ptr - total)) << ' '
       << (change.fileMonth.empty() ? "-" : Hex({reinterpret_cast<const std::uint8_t*>(change.fileMonth.data()), change.fileMonth.size()}))
       << ' ' << change.year << ' ' << change.month << '\n';
  return text.str();
}

std::optional<PlayerChange> DecodePlayerChange(std::string_view text) {
  std::istringstream fields{std::string(text)};
  std::string mark, kind, record, total, month;
  int claim = 0;
  PlayerChange change;
  if (!(fields >> mark >> kind >> change.account >> claim >> record >> total >> month >>
        change.year >> change.month) ||
      mark != kMark || kind.size() != 1 || (claim != 0 && claim != 1))
    return std::nullopt;
  change.kind = static_cast<PlayerChange::Kind>(kind[0]);
  if (std::string_view("CNTR").find(kind[0]) == std::string_view::npos) return std::nullopt;
  change.claim = claim == 1;
  if (!FromHex(record, change.record)) return std::nullopt;
  auto parsed = std::from_chars(total.data(), total.data() + total.size(), change.total,
                                std::chars_format::hex);
  if (parsed.ec != std::errc() || parsed.ptr != total.data() + total.size()) return std::nullopt;
  if (month != "-") {
    change.fileMonth.resize(month.size() / 2);
    if (!FromHex(month, {reinterpret_cast<std::uint8_t*>(change.fileMonth.data()), change.fileMonth.size()}))
      return std::nullopt;
  }
  return change;
}

bool ApplyPlayerChange(const PlayerChange& change, PlayerFileImage& image) {
  switch (change.kind) {
    case PlayerChange::Kind::kCounters: return ApplyCounters(change, image);
    case PlayerChange::Kind::kNewPlayer: return ApplyNewPlayer(change, image);
    case PlayerChange::Kind::kTotal: return ApplyTotal(change, image);
    case PlayerChange::Kind::kFreshStart: return ApplyFreshStart(change, image);
  }
  return false;
}

std::int64_t FindPlayer(const std::vector<std::uint8_t>& records, std::string_view comparable) {
  std::int64_t count = static_cast<std::int64_t>(records.size() / PlayerRecord::kSize);
  for (std::int64_t n = 1; n <= count; ++n) {
    std::span<const std::uint8_t> record(records.data() + (n - 1) * PlayerRecord::kSize,
                                         PlayerRecord::kSize);
    if (NameFieldMatches(record, comparable)) return n;
  }
  return 0;
}

std::string_view NameField(std::span<const std::uint8_t> recordBytes) {
  return {reinterpret_cast<const char*>(recordBytes.data() + player_fields::kName),
          PlayerRecord::kNameWidth};
}

// Compared from the front, so that the names of a whole file are told apart at their first
// differing letter: a game over runs through all of them.
bool NameFieldMatches(std::span<const std::uint8_t> recordBytes, std::string_view comparable) {
  std::string_view name = NameField(recordBytes);
  if (comparable.size() > name.size()) return false;
  for (std::size_t i = 0; i < comparable.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(name[i])) !=
        static_cast<unsigned char>(comparable[i]))
      return false;
  return name.find_first_not_of(' ', comparable.size()) == std::string_view::npos;
}

}  // namespace lexfray
