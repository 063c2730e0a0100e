#pragma once

#include <array>
#include <string_view>

namespace lexfray {

// How the game tells a player that a change of the player file or its backup was not made,
// or not made yet (kept in the file's spool until the file is free): the title or line of
// each box and notice that says so. Every such telling uses these, and the tests that make
// the files fail look for them.
inline constexpr std::string_view kPlayerFileNotSavedTitle = "PLAYER FILE NOT SAVED";
inline constexpr std::string_view kScoreNotSavedTitle = "SCORE NOT SAVED";
inline constexpr std::string_view kScoreKeptTitle = "SCORE KEPT";
inline constexpr std::string_view kMaintenanceFailedTitle = "MONTHLY MAINTENANCE";
inline constexpr std::string_view kGameNotStartedTitle = "GAME NOT STARTED";
inline constexpr std::string_view kBackupFailedLine = "Backup was NOT SUCCESSFUL";
inline constexpr std::string_view kRestoreFailedLine = "Restore was NOT SUCCESSFUL";

inline constexpr std::array<std::string_view, 7> kPlayerFileFailureTellings = {
    kPlayerFileNotSavedTitle, kScoreNotSavedTitle, kScoreKeptTitle,   kMaintenanceFailedTitle,
    kGameNotStartedTitle,     kBackupFailedLine,   kRestoreFailedLine};

}  // namespace lexfray
