#include "shell/title_screen.h"

#include <cmath>

#include "config/constants.h"
#include "console/primitives.h"

namespace lexfray {

namespace {

constexpr int kFirstPauseMs = 500;
constexpr int kStepPauseMs = 30;

struct ButtonLabel {
  int top, left, bottom, right;
  int labelRow, labelColumn;
  std::string_view label;
};

constexpr std::array<ButtonLabel, 4> kButtons = {{
    {16, 10, 18, 26, 17, 12, "Play the Game"},
    {16, 32, 18, 51, 17, 34, "Scores/LeagueNET"},
    {16, 57, 18, 69, 17, 59, "Help/Misc."},
    {20, 48, 22, 60, 21, 50, "Exit Game"},
}};

std::string Trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void DrawFixedParts(Screen& screen, bool competitionActive) {
  PrintAt(screen, " Q U I L L O N   H O M E   S O F T W A R E ", kBrightWhite, kBlue, 1, 0, true);
  PrintAt(screen, "Presents", kYellow, kBlack, 3, 0, true);
  DrawBox(screen, 5, 10, 9, 69, kSingleLine, kBrightWhite, kBlue);
  PrintAt(screen, "Version     Version Date     LeagueNET     Content Rating", kYellow, kBlack, 12, 11);
  PrintAt(screen, kVersionText, kBrightWhite, kBlack, 13, 13);
  PrintAt(screen, kVersionDate, kBrightWhite, kBlack, 13, 25);
  if (competitionActive) PrintAt(screen, "ACTIVE", kLightGreen, kBlack, 13, 42);
  else PrintAt(screen, "InActive", kLightRed, kBlack, 13, 41);
  PrintAt(screen, "All Ages", kBrightWhite, kBlack, 13, 57);
  for (const ButtonLabel& b : kButtons) DrawBox(screen, b.top, b.left, b.bottom, b.right, kSingleLine, kBlack, kLightGrey);
}

void DrawButtonLabels(Screen& screen) {
  for (const ButtonLabel& b : kButtons) {
    PrintAt(screen, b.label, kBlack, kLightGrey, b.labelRow, b.labelColumn);
    screen.Recolour(b.labelRow, b.labelColumn, 1, kLightRed, kLightGrey);
  }
}

}  // namespace

void SlideInTitle(Io& io, std::string& text, int row, int column, int width, int fg, int bg) {
  Pause(io, kFirstPauseMs);
  text = Trimmed(text);
  if (static_cast<int>(text.size()) > width) text.resize(static_cast<std::size_t>(width));
  double spare = (width - static_cast<int>(text.size())) / 2.0;
  text.append(static_cast<std::size_t>(std::nearbyint(spare)), ' ');  // halves to even
  for (std::size_t i = 1; i <= text.size(); ++i) {
    PrintAt(io.screen, std::string_view(text).substr(0, i), fg, bg, row, column);
    io.screen.LineBreak();
    --column;
    Pause(io, kStepPauseMs);
  }
}

void ShowTitleScreen(Io& io, std::string& spacedTitle, bool competitionActive) {
  DrawFixedParts(io.screen, competitionActive);
  SlideInTitle(io, spacedTitle, 7, 67, 54, kBrightWhite, kBlue);
  DrawButtonLabels(io.screen);
  io.screen.MoveTo(21, 50);
  io.screen.SetColours(kLightRed, kLightGrey);
}

}  // namespace lexfray
