#include "league/competition_program.h"

#include <string>
#include <string_view>

#include "config/constants.h"
#include "dialogs/message_box.h"
#include "dialogs/notice_box.h"
#include "platform/files.h"

namespace lexfray {

namespace {

constexpr std::string_view kQuestion =
    "We are now prepared to process your LeagueNET scores. You MUST be connected to the "
    "Internet for this process to work. Are you connected to the Internet at this time?";
constexpr std::string_view kQuestionTitle = "LeagueNET PROCESSING";
constexpr int kQuestionStyle = kStyleYesNo | kStyleQuestion | kStyleSecondDefault;
static_assert(kQuestionStyle == 0x124);
constexpr std::string_view kWaitNotice = "Processing LeagueNET scores...";
constexpr std::string_view kWaitNoticeSecond = "Please wait.";

}  // namespace

void RunCompetitionProgram(Io& io, const Settings& settings, Terminal& terminal, Launcher& launcher) {
  io.screen.SetColours(kLightGrey, kBlack);
  io.screen.Clear();
  if (ConsoleMessageBox(io, kQuestion, kQuestionStyle, kQuestionTitle, kIconQuestion) == kResultNo) return;

  // The exchange program looks for this empty file; a folder that is not there leaves none.
  std::string folder = settings.driveRoot + std::string(kCompetitionFolder);
  WriteFileBytes(folder + std::string(kCompetitionMarkerName), "");
  // The exchange has no terminal: the board stays with a notice, and keys pressed while it
  // runs are dropped rather than taken as answers to whatever comes next.
  Screen::Snapshot covered =
      SplashBoxShow(io, 0, 0, kWaitNotice, kWaitNoticeSecond, "", kIconInformation);
  std::string program = folder + std::string(kCompetitionProgramName);
  launcher.RunAndWait(program, settings.programFolder);
  terminal.DiscardTypedAhead();
  SplashBoxHide(io, covered);
  terminal.ReportButtonReleases();
}

}  // namespace lexfray
