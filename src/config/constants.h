#pragma once

#include <string_view>

namespace lexfray {

// The program's fixed names and texts.
inline constexpr std::string_view kProgramTitle = "LEX FRAY";
inline constexpr std::string_view kSpacedTitle = "L E X    F R A Y";
inline constexpr std::string_view kProgramCode = "LEXFRAY";
inline constexpr std::string_view kVersionText = "1.6";
inline constexpr std::string_view kVersionField = " 1.6";
inline constexpr std::string_view kVersionDate = "02/12/08";
inline constexpr std::string_view kReleaseYears = "2003-2008";
inline constexpr std::string_view kTopPlayersTitle = "LEX FRAY'S          TOP         PLAYERS";

inline constexpr std::string_view kConfigFileName = "LEXFRAY.CFG";
inline constexpr std::string_view kPlayerFileName = "LEXFRAY.USR";
inline constexpr std::string_view kBackupFileName = "LEXFRAY.BKP";
inline constexpr std::string_view kOwnersFileName = "LEXFRAY.OWN";
// In a shared installation, how many player names one account may take: the
// administrator's, one whole number.
inline constexpr std::string_view kNamesPerAccountFileName = "LEXFRAY.NPA";
inline constexpr std::string_view kScoreFileName = "LEXFRAY.ISC";
inline constexpr std::string_view kHistoryFileName = "LEXFRAY.HIS";
inline constexpr std::string_view kInstructionsFileName = "LEXFRAY.INS";
inline constexpr std::string_view kLicenceFileName = "ENDUSERLICENSE.TXT";
inline constexpr std::string_view kAdvertFileName = "LEAGUENET.ADV";
inline constexpr std::string_view kWordFileName = "quillon.dic";
inline constexpr std::string_view kIndexFileName = "QUILLON.DIX";
inline constexpr std::string_view kBackupHelpFileName = "Temp.HLP";

// The maker's own details, shown in the about box and the documents.
inline constexpr std::string_view kMakerName = "Quillon Home Software";
inline constexpr std::string_view kSupportAddress = "support@quillon-home.example";
inline constexpr std::string_view kWebAddress = "https://quillon-home.example/";

// The competition program and its marker, in their folder below the drive root. The game
// and the exchange program share these names.
inline constexpr std::string_view kCompetitionFolder = "QuillonHomeSoftware/LeagueNet/";
inline constexpr std::string_view kCompetitionProgramName = "LeagueNet.exe";
inline constexpr std::string_view kCompetitionMarkerName = "GOLN";

}  // namespace lexfray
