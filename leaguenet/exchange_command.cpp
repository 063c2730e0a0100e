#include <ostream>

#include "commands.h"
#include "edge/files.h"
#include "edge/system.h"
#include "league_client.h"
#include "safe_text.h"

namespace lexfray::leaguenet {

namespace {

constexpr const char* kScoreFileName = "LEXFRAY.ISC";
constexpr const char* kMarkerName = "GOLN";

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// The marker only says that fresh scores are waiting; a run without it exchanges anyway.
void RemoveMarker(const std::string& invokedAs) {
  std::size_t slash = invokedAs.rfind('/');
  if (slash != std::string::npos) RemoveFile(invokedAs.substr(0, slash + 1) + kMarkerName);
}

}  // namespace

int Fail(std::ostream& err, const std::string& line) {
  // The reason may quote the server, which is no reason to let it drive a terminal.
  std::string shown = PrintableText(line, line.size());
  err << "leaguenet: " << shown << '\n';
  LogLine(true, shown);
  return kFailed;
}

bool LoadSettings(const Invocation& invocation, LeagueSettings* settings, std::string* where,
                  std::string* error) {
  for (const std::string& candidate :
       SettingsCandidates(invocation.configFile, invocation.invokedAs)) {
    std::optional<std::string> text = ReadTextFile(candidate);
    if (!text) continue;
    SettingsReading reading = ParseSettings(*text);
    if (!reading.settings) {
      *error = candidate + ": " + reading.error;
      return false;
    }
    *settings = *reading.settings;
    *where = candidate;
    return true;
  }
  *error = invocation.configFile.empty()
               ? "no settings: neither leaguenet.conf beside the command nor " +
                     std::string(kSystemSettings) + " can be read"
               : "cannot read the settings " + invocation.configFile;
  return false;
}

int RunExchange(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  LeagueSettings settings;
  std::string where;
  std::string error;
  if (!LoadSettings(invocation, &settings, &where, &error)) return Fail(err, error);
  Deadline deadline = Clock::now() + std::chrono::seconds(settings.timeoutSeconds);
  // A hung name lookup is the one wait that no deadline of ours reaches.
  ArmHardTimeLimit(settings.timeoutSeconds + 2);
  RemoveMarker(invocation.invokedAs);

  std::string path =
      WithSlash(settings.folder.empty() ? CurrentFolder() : settings.folder) + kScoreFileName;
  std::vector<std::uint8_t> bytes;
  if (ReadWholeFile(path, &bytes, &error) == ReadOutcome::kFailed) return Fail(err, error);
  ScoreFile file = ParseScoreFile(bytes);

  std::unique_ptr<PgConnection> league =
      PgConnection::Open(settings.league, {invocation.distrust}, deadline, &error);
  if (!league) return Fail(err, error);
  ExchangeResult result;
  if (!ExchangeWithLeague(*league, file, settings.others, settings.timeoutSeconds, &result, &error))
    return Fail(err, "exchange failed: " + error);
  league.reset();

  ScoreFile merged = MergedScoreFile(file, result.site, result.sent, result.others);
  if (!ReplaceFileAtomically(path, ScoreFileBytes(merged), &error)) return Fail(err, error);
  ArmHardTimeLimit(0);
  std::string done = "exchanged as " + TrimmedPrintable(result.site.name, 35) + ": " +
                     std::to_string(result.sent.size()) + " entries sent, " +
                     std::to_string(merged.entries.size()) + " in " + path;
  out << done << '\n';
  LogLine(false, done);
  return kDone;
}

}  // namespace lexfray::leaguenet
