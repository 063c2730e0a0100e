#include "monkey/monkey_terminal.h"

#include <algorithm>
#include <array>

#include "config/calendar.h"
#include "game/game_layout.h"
#include "monkey/board_checks.h"
#include "league/score_export.h"
#include "monkey/file_faults.h"
#include "players/save_failures.h"

namespace lexfray::monkey {

namespace {

// Far more pauses than any screen makes between two inputs (the longest notices pause a few
// hundred times).
constexpr int kMostPausesWithoutInput = 100000;
constexpr std::size_t kRecentEvents = 40;

constexpr std::array<int, 16> kExtendedKeys = {
    kKeyUp,     kKeyDown,   kKeyLeft,   kKeyRight,    kKeyHome,    kKeyEnd,   kKeyPageUp,
    kKeyPageDown, kKeyInsert, kKeyDelete, kKeyBackTab, kKeyFunction, kKeyTab, kKeyBackspace,
    kKeyWheelUp, kKeyWheelDown};

// Where the game screen shows its prompt and its rack of letters.
using game_layout::kPromptRow;
using game_layout::kRackRow;
constexpr std::string_view kWordPrompt = "Form a WORD";

std::string RackOf(const Screen& screen) {
  if (screen.RowText(kPromptRow).find(kWordPrompt) == std::string::npos) return {};
  std::string rack;
  for (char c : screen.RowText(kRackRow))
    if (c >= 'A' && c <= 'Z') rack.push_back(c);
  return rack;
}

// Each letter of the word taken from a separate letter of the rack.
bool RackAllows(std::string rack, std::string_view word) {
  for (char c : word) {
    std::size_t at = rack.find(c);
    if (at == std::string::npos) return false;
    rack[at] = ' ';
  }
  return true;
}

// The board's rows, one line each, so that a text is looked for in one pass.
std::string BoardText(const Screen& screen) {
  std::string text;
  for (int row = 1; row <= kRows; ++row) text += screen.RowText(row) + "\n";
  return text;
}

// Whether the board tells that a change of the player file, or of the score file, was not made.
bool TellsPlayersNotSaved(std::string_view board) {
  return std::any_of(kPlayerFileFailureTellings.begin(), kPlayerFileFailureTellings.end(),
                     [&](std::string_view telling) { return board.find(telling) != board.npos; });
}

bool TellsScoresNotSaved(std::string_view board) {
  // The box wraps its text: its first words are on one line.
  return board.find(kScoresNotSavedText.substr(0, kScoresNotSavedText.find(" could"))) != board.npos;
}

std::string KeyName(int key) {
  if (key >= 0x21 && key < 0x7F) return std::string(1, static_cast<char>(key));
  return "#" + std::to_string(key);
}

}  // namespace

void MonkeyClock::Sleep(int milliseconds) {
  if (++pausesSinceInput_ > kMostPausesWithoutInput)
    throw MonkeyFailure("the program keeps pausing without ever asking for input");
  FakeClock::Sleep(milliseconds);
}

MonkeyTerminal::MonkeyTerminal(std::uint64_t seed, MonkeyClock& clock,
                               std::vector<std::string> words, long long budget, bool competition)
    : random_(seed), clock_(clock), words_(std::move(words)), budget_(budget),
      competition_(competition) {}

void MonkeyTerminal::Show(const Screen& screen) {
  shown_ = screen;
  if (auto fault = CheckBoard(screen)) throw MonkeyFailure(*fault);
  std::string board = BoardText(screen);
  toldPlayers_ = toldPlayers_ || TellsPlayersNotSaved(board);
  toldScores_ = toldScores_ || TellsScoresNotSaved(board);
}

InputEvent MonkeyTerminal::NextEvent() {
  clock_.InputAsked();
  CheckFailuresTold();
  if (auto fault = CheckGameScore(shown_)) throw MonkeyFailure(*fault);
  for (;;) {
    if (events_ >= budget_) throw EventsSpent{};
    ++events_;
    if (std::optional<InputEvent> event = NextAction()) return *event;
  }
}

void MonkeyTerminal::CheckFailuresTold() {
  FileEvents file = TakeFileEvents();
  failures_.Add(file);
  if (file.writesFailed > 0 && !toldPlayers_)
    throw MonkeyFailure("the player file could not be written and the player was not told");
  if (competition_ && file.scoreWritesFailed > 0 && !toldScores_)
    throw MonkeyFailure("the score file could not be written and the player was not told");
  toldPlayers_ = toldScores_ = false;
}

// One event of the monkey: something for the program, or nothing when it acted on the
// terminal, the clock or the files instead.
std::optional<InputEvent> MonkeyTerminal::NextAction() {
  int roll = Pick(1000);
  if (roll < 10 || (!layout_.fits && roll < 300)) {
    Resize();
    return std::nullopt;
  }
  if (roll < 20) {
    JumpClock();
    return std::nullopt;
  }
  if (roll < 35) {
    ArmRandomFault();
    return std::nullopt;
  }
  if (!layout_.fits) return std::nullopt;  // the terminal waits behind its notice
  if (roll < 150) return RandomClick();
  InputEvent key = RandomKey();
  Note("key " + KeyName(key.key));
  return key;
}

InputEvent MonkeyTerminal::RandomKey() {
  if (!typedAhead_.empty()) {
    int key = typedAhead_.front();
    typedAhead_.pop_front();
    return InputEvent::KeyPress(key);
  }
  int roll = Pick(100);
  const std::vector<std::string>& words = roll < 30 ? WordsOfRack() : words_;
  if (roll < 33 && !words.empty()) {
    const std::string& word = words[static_cast<std::size_t>(Pick(static_cast<int>(words.size())))];
    for (char c : word) typedAhead_.push_back(static_cast<unsigned char>(c));
    typedAhead_.push_back(kKeyEnter);
    return RandomKey();
  }
  if (roll < 40) return InputEvent::KeyPress((Pick(2) ? 'A' : 'a') + Pick(26));
  if (roll < 52) return InputEvent::KeyPress(kKeyEnter);
  if (roll < 58) return InputEvent::KeyPress(kKeyEscape);
  if (roll < 66) return InputEvent::KeyPress('1' + Pick(9));
  if (roll < 78) return InputEvent::KeyPress(kExtendedKeys[static_cast<std::size_t>(Pick(kExtendedKeys.size()))]);
  if (roll < 84) return InputEvent::KeyPress(Pick(2) ? Pick(0x20) : 0x7F);
  if (roll < 90) return InputEvent::KeyPress(0x80 + Pick(0x80));
  return InputEvent::KeyPress(0x20 + Pick(0x5F));
}

// The dictionary's words that the rack on the board allows; none off the game screen.
const std::vector<std::string>& MonkeyTerminal::WordsOfRack() {
  std::string rack = RackOf(shown_);
  if (rack == rack_) return rackWords_;
  rack_ = rack;
  rackWords_.clear();
  if (rack.empty()) return rackWords_;
  for (const std::string& word : words_)
    if (RackAllows(rack, word)) rackWords_.push_back(word);
  return rackWords_;
}

// A click somewhere on the terminal, more often on something the board shows; the backend
// passes on only those that hit the board.
std::optional<InputEvent> MonkeyTerminal::RandomClick() {
  int y = Pick(layout_.lines), x = Pick(layout_.columns);
  if (Pick(10) < 6) {
    int row = 1 + Pick(kRows), column = 1 + Pick(kColumns);
    for (int tries = 0; tries < 20 && shown_.At(row, column).ch == ' '; ++tries)
      row = 1 + Pick(kRows), column = 1 + Pick(kColumns);
    y = layout_.top + row - 1;
    x = layout_.left + column - 1;
    int backRow = 0, backColumn = 0;
    if (!layout_.ToBoard(y, x, backRow, backColumn) || backRow != row || backColumn != column)
      throw MonkeyFailure("a click on a board cell does not come back as that cell");
  }
  int row = 0, column = 0;
  if (!layout_.ToBoard(y, x, row, column)) {
    Note("click off the board");
    return std::nullopt;
  }
  Note("click " + std::to_string(row) + "," + std::to_string(column));
  return InputEvent::Click(row, column);
}

void MonkeyTerminal::Resize() {
  int lines = 10 + Pick(50), columns = 40 + Pick(160);
  if (Pick(2)) lines = 24 + Pick(3), columns = 79 + Pick(3);  // near the board's own size
  layout_ = LayoutFor(lines, columns);
  Note("resize " + std::to_string(columns) + "x" + std::to_string(lines));
  if (layout_.fits != (lines >= kRows && columns >= kColumns))
    throw MonkeyFailure("the board is said to fit where it does not, or the reverse");
  if (layout_.fits) return;
  std::vector<std::string> notice = EnlargeNotice(lines, columns);
  if (static_cast<int>(notice.size()) > lines)
    throw MonkeyFailure("the enlarge notice is taller than the terminal");
  for (const std::string& line : notice)
    if (static_cast<int>(line.size()) > columns)
      throw MonkeyFailure("the enlarge notice is wider than the terminal");
}

// Onwards only, to the moments where the calendar matters: a little later, just before
// midnight, just before and inside the last twenty minutes of the month, the next month.
void MonkeyTerminal::JumpClock() {
  LocalTime now = clock_.Now();
  LocalTime to = now;
  int lastDay = MonthLength(MonthDaysFor(now.year), now.month);
  switch (Pick(5)) {
    case 0: to.minute = std::min(59, now.minute + 1 + Pick(30)); break;
    case 1: to.hour = 23, to.minute = 59, to.second = 50 + Pick(10); break;
    case 2: to.day = lastDay, to.hour = 23, to.minute = 39, to.second = 50 + Pick(10); break;
    case 3: to.day = lastDay, to.hour = 23, to.minute = 40 + Pick(20); break;
    default:
      to = {now.month == 12 ? now.year + 1 : now.year, now.month % 12 + 1, 1, 0, Pick(60), 0, 0};
  }
  auto key = [](const LocalTime& t) {
    return std::array{t.year, t.month, t.day, t.hour, t.minute, t.second};
  };
  if (key(to) <= key(now)) return;
  clock_.Set(to);
  Note("clock " + std::to_string(to.year) + "-" + std::to_string(to.month) + "-" +
       std::to_string(to.day) + " " + std::to_string(to.hour) + ":" + std::to_string(to.minute));
}

void MonkeyTerminal::ArmRandomFault() {
  static constexpr std::array<Fault, 7> kFaults = {
      Fault::kFailWrite, Fault::kFailRead,   Fault::kDiskFull, Fault::kFailOpen,
      Fault::kFailSync,  Fault::kFailRename, Fault::kLockBusy};
  FaultPlan plan{kFaults[static_cast<std::size_t>(Pick(kFaults.size()))], 1 + Pick(4)};
  if (Pick(3) == 0) plan = FaultPlan{};  // and the disk has room again
  ArmFault(plan);
  Note("fault " + std::to_string(static_cast<int>(plan.fault)) + " at " + std::to_string(plan.countdown));
}

void MonkeyTerminal::Note(std::string what) {
  recent_.push_back(std::to_string(events_) + ": " + std::move(what));
  if (recent_.size() > kRecentEvents) recent_.pop_front();
}

std::string MonkeyTerminal::RecentEvents() const {
  std::string text;
  for (const std::string& line : recent_) text += "  " + line + "\n";
  return text;
}

}  // namespace lexfray::monkey
