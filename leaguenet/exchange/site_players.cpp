#include "exchange/site_players.h"

#include <cerrno>
#include <span>

#include "config/constants.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "players/player_record.h"

namespace lexfray::leaguenet {

std::optional<MonthPlayers> PlayersOfThisMonth(const std::string& folder, const SiteMonth& month,
                                               std::string* error) {
  std::string path = folder + std::string(kPlayerFileName);
  std::optional<FileLock> lock = FileLock::Take(path, LockKind::kShared, error);
  if (!lock) return std::nullopt;
  std::size_t limit = static_cast<std::size_t>(kMostPlayers + 1) * PlayerRecord::kSize;
  std::optional<FilePrefix> bytes = ReadFilePrefix(path, limit, error);
  if (!bytes) {
    if (errno != ENOENT) return std::nullopt;
    return MonthPlayers{};
  }
  if (bytes->cut) {
    *error = path + " is too large: more than " + std::to_string(kMostPlayers) + " players";
    return std::nullopt;
  }
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes->bytes.data());
  return PlayersOfMonth(std::span(data, bytes->bytes.size()), month);
}

}  // namespace lexfray::leaguenet
