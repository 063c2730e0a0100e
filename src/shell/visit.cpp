#include "shell/visit.h"

#include <optional>

#include "console/primitives.h"
#include "dialogs/message_box.h"
#include "dialogs/notice_box.h"
#include "game/game_screen.h"
#include "league/competition_program.h"
#include "league/score_export.h"
#include "league/standings_file.h"
#include "league/standings_screen.h"
#include "players/game_start.h"
#include "players/login.h"
#include "players/top_players.h"
#include "shell/menus.h"
#include "shell/score_screens.h"

namespace lexfray {

namespace {

constexpr double kCompletionBonus = 1000;
constexpr int kBonusSeconds = 4;

bool AllLengthsComplete(const GameState& game) {
  for (int length = kShortestWord; length <= kLongestWord; ++length)
    if (game.nextRow[length] < kCompleteRow) return false;
  return true;
}

}  // namespace

Visit::Visit(Io& io, Platform& platform, ProgramState& state)
    : io_(io), platform_(platform), state_(state), limits_(InitialPlayLimits(state.settings)) {}

VisitEnd Visit::Run() {
  std::string login = PlayerLogin(io_, state_.settings, state_.playerRecord);
  if (login.empty()) return VisitEnd::kBackToMenu;
  playerName_ = VisitName(login);
  for (bool first = true;; first = false) {
    GameStart start = StartGameRecord(io_, state_.settings, limits_, state_.playerRecord, playerName_);
    if (start.outcome == StartOutcome::kEndProgram) return VisitEnd::kProgramEnd;
    // Refused before anything was counted: the first time that is a refused login.
    if (start.outcome == StartOutcome::kNotStarted) {
      if (first) return VisitEnd::kBackToMenu;
      break;
    }
    playerTotal_ = start.playerTotal;
    gamesCounted_ = start.gamesCounted;
    fileMonth_ = start.fileMonth;
    fileMovedOn_ = false;
    if (start.outcome == StartOutcome::kLimitReached) break;
    GameContext context{io_, state_.settings, platform_.random, state_.dictionary, *this, playerName_};
    PlayGame(context, state_.game, limits_.followOnGame);
    if (GameOver() == AfterGame::kFinalScreen) break;
  }
  FinalScreen();
  return VisitEnd::kProgramEnd;
}

void Visit::ShowScores() { ShowCurrentScores(io_, state_); }

ScorePanel Visit::PanelValues() {
  ScorePanel panel;
  panel.gamesCounted = gamesCounted_;
  panel.allowanceText = limits_.gamesLimitText;
  panel.playerTotal = playerTotal_;
  if (state_.settings.Competition())
    panel.topScore = static_cast<double>(LoadTopScore(state_.settings, state_.competition));
  return panel;
}

Visit::AfterGame Visit::GameOver() {
  playerTotal_ += state_.game.gameScore;
  GrantBonusIfComplete();
  TablePass(io_, state_.settings, state_.playerRecord, WriteBack(), &fileMovedOn_);
  if (state_.settings.Competition() && gamesCounted_ >= limits_.gamesLimit) {
    ShowLimitReached(io_);
    ExportScores(io_, state_.settings, state_.competition, state_.playerRecord);
    RunCompetitionProgram(io_, state_.settings, platform_.terminal, platform_.launcher);
    return AfterGame::kFinalScreen;
  }
  if (!AskPlayAgain(io_)) {
    CloseThePlay();
    return AfterGame::kFinalScreen;
  }
  limits_.followOnGame = true;
  ResetGameState(state_.game);
  ClearWordArea(io_.screen);
  return AfterGame::kNextGame;
}

std::optional<TableWriteBack> Visit::WriteBack() const {
  // Told once: the total of a game whose file has moved on is not offered again.
  if (fileMovedOn_) return std::nullopt;
  return TableWriteBack{playerName_, playerTotal_, fileMonth_};
}

void Visit::GrantBonusIfComplete() {
  if (!AllLengthsComplete(state_.game)) return;
  Screen::Snapshot covered = SplashBoxShow(io_, 0x83, kBonusSeconds, "C O N G R A T U L A T I O N S",
                                           std::string(37, ' '), "1000 Pt. Bonus Added to Score", kIconInformation);
  SplashBoxHide(io_, covered);
  playerTotal_ += kCompletionBonus;
}

void Visit::CloseThePlay() {
  ExportScores(io_, state_.settings, state_.competition, state_.playerRecord);
  if (state_.settings.Competition())
    RunCompetitionProgram(io_, state_.settings, platform_.terminal, platform_.launcher);
}

void Visit::FinalScreen() {
  io_.screen.SetColours(kLightGrey, kBlack);
  io_.screen.Clear();
  TopPlayers table =
      TablePass(io_, state_.settings, state_.playerRecord, WriteBack(), &fileMovedOn_);
  if (state_.settings.Competition()) {
    ExportScores(io_, state_.settings, state_.competition, state_.playerRecord);
    ShowStandings(io_, state_.settings, state_.competition);
    return;
  }
  ShowTopPlayers(io_, table);
}

}  // namespace lexfray
