#include "platform/system/curses_terminal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "support/pseudo_terminal.h"

namespace lexfray {
namespace {

using testing::PseudoTerminal;

bool Has(const std::string& output, const std::string& part) {
  return output.find(part) != std::string::npos;
}

std::string X10Button(int button, int x, int y) {  // 1-based terminal cell
  return std::string("\033[M") + static_cast<char>(32 + button) + static_cast<char>(32 + x) +
         static_cast<char>(32 + y);
}

// The backend on a pseudo-terminal of the given size that this test types on and reads.
class CursesTerminalTest : public ::testing::Test {
 protected:
  void Start(int lines = 30, int columns = 100, const char* type = "tmux-256color",
             const char* locale = "C.UTF-8") {
    setenv("LC_ALL", locale, 1);
    pty_ = PseudoTerminal::Open(lines, columns);
    ASSERT_TRUE(pty_);
    std::string error;
    terminal_ = CursesTerminal::Open(TerminalDevice{pty_->in(), pty_->out(), type}, &error);
    ASSERT_TRUE(terminal_) << error;
    startUp_ = pty_->TakeOutput();
  }

  // What the terminal sent to show the board as it is now.
  std::string Show() {
    terminal_->Show(screen_);
    return pty_->TakeOutput();
  }

  void Write(int row, int column, int fg, int bg, std::string_view text) {
    screen_.SetColours(fg, bg);
    screen_.MoveTo(row, column);
    screen_.Write(text);
  }

  InputEvent After(const std::string& typed) {
    pty_->Type(typed);
    return terminal_->NextEvent();
  }

  std::string End() {
    terminal_.reset();
    return pty_->TakeOutput();
  }

  void TearDown() override {
    terminal_.reset();
    unsetenv("LC_ALL");
  }

  std::unique_ptr<PseudoTerminal> pty_;
  std::unique_ptr<CursesTerminal> terminal_;
  std::string startUp_;
  Screen screen_;
};

TEST_F(CursesTerminalTest, StartTurnsTheModesOnAndTheEndTurnsThemOff) {
  Start();
  EXPECT_TRUE(Has(startUp_, "\033[?1049h")) << "alternate screen";
  EXPECT_TRUE(Has(startUp_, "\033[?1000h")) << "mouse";
  EXPECT_TRUE(Has(startUp_, "\033[?1h\033=")) << "keypad";
  EXPECT_TRUE(Has(startUp_, "\033[?25l")) << "cursor hidden";
  EXPECT_FALSE(Has(startUp_, "\033[8;25;")) << "a terminal large enough is not asked to grow";
  std::string end = End();
  EXPECT_TRUE(Has(end, "\033[?1049l"));
  EXPECT_TRUE(Has(end, "\033[?1000l"));
  EXPECT_TRUE(Has(end, "\033[?25h"));
  EXPECT_FALSE(Has(end, "\033[23;0t")) << "no title was set, so none is given back";
}

TEST_F(CursesTerminalTest, OneChangedCellSendsLittleMoreThanThatCell) {
  Start();
  Write(1, 1, 7, 0, "Lex Fray");
  std::string first = Show();
  EXPECT_TRUE(Has(first, "Lex Fray"));
  EXPECT_EQ(Show(), "") << "nothing changed, nothing sent";
  Write(12, 40, 7, 0, "Q");
  std::string change = Show();
  EXPECT_TRUE(Has(change, "Q"));
  EXPECT_LT(change.size(), 40u) << change;
}

TEST_F(CursesTerminalTest, GlyphsGoOutAsUtf8AndControlBytesNeverRaw) {
  Start();
  Write(3, 1, 7, 0, "\x01\x07\x1b\x7f\xC9\xCD\xBB\x82");
  std::string output = Show();
  EXPECT_TRUE(Has(output, "☺•←⌂╔═╗é")) << output;
  EXPECT_FALSE(Has(output, "\x01"));
  EXPECT_FALSE(Has(output, "\x07"));
  EXPECT_FALSE(Has(output, "\x7f"));
}

TEST_F(CursesTerminalTest, ConsoleColoursBecomeTheirAnsiNumbers) {
  Start();
  Write(5, 1, kYellow, kBlue, "Y");
  std::string output = Show();
  EXPECT_TRUE(Has(output, "\033[93m")) << "yellow is bright ANSI yellow";
  EXPECT_TRUE(Has(output, "\033[44m")) << "console blue is ANSI blue";
  Write(5, 1, kLightRed, kLightGrey, "R");
  output = Show();
  EXPECT_TRUE(Has(output, "\033[91m"));
  EXPECT_TRUE(Has(output, "\033[47m"));
}

TEST_F(CursesTerminalTest, EightColourTerminalsShowBrightAsBold) {
  Start(30, 100, "screen");
  Write(5, 1, kYellow, kLightBlue, "Y");
  std::string output = Show();
  EXPECT_TRUE(Has(output, "\033[1m") || Has(output, "\033[0;1m")) << output;
  EXPECT_TRUE(Has(output, "\033[33m"));
  EXPECT_TRUE(Has(output, "\033[44m"));
}

TEST_F(CursesTerminalTest, TerminalsWithoutColoursShowTheChosenEntryReversed) {
  Start(30, 100, "vt100");
  Write(5, 1, kBrightWhite, kBlue, "ENTRY");
  EXPECT_FALSE(Has(Show(), "7m"));
  Write(6, 1, kBlack, kLightCyan, "CHOSEN");
  EXPECT_TRUE(Has(Show(), "7m"));
}

TEST_F(CursesTerminalTest, WithoutUtf8LinesComeFromTheLineDrawingSet) {
  Start(30, 100, "tmux-256color", "C");
  Write(3, 1, 7, 0, "\xC9\xCD\xBB\x82");
  std::string output = Show();
  EXPECT_TRUE(Has(output, "\x0e")) << "the line-drawing set is switched in";
  EXPECT_TRUE(Has(output, "lqk")) << output;
  EXPECT_FALSE(Has(output, "\xE2\x95")) << "no UTF-8";
}

TEST_F(CursesTerminalTest, KeysAsTheGameWantsThem) {
  Start();
  EXPECT_TRUE(After("\r").IsKey(kKeyEnter));
  EXPECT_TRUE(After("\n").IsKey(kKeyEnter));
  EXPECT_TRUE(After("\033OM").IsKey(kKeyEnter));
  EXPECT_TRUE(After("\x7f").IsKey(kKeyBackspace));
  EXPECT_TRUE(After("\033[1~").IsKey(kKeyHome));
  EXPECT_TRUE(After("\033[4~").IsKey(kKeyEnd));
  EXPECT_TRUE(After("\033[A").IsKey(kKeyUp));
  EXPECT_TRUE(After("\033[5~").IsKey(kKeyPageUp));
  EXPECT_TRUE(After("\033[I\xC3\xA9" "k").IsKey('k')) << "a focus report and é are dropped";
  EXPECT_TRUE(After("\033").IsKey(kKeyEscape));
  InputEvent alt = After("\033x");
  EXPECT_TRUE(alt.IsKey(kKeyEscape));
  EXPECT_TRUE(terminal_->NextEvent().IsKey('x'));
}

TEST_F(CursesTerminalTest, PressesAreClicksOnBoardCellsOfTheCentredBoard) {
  Start(30, 100);  // the board starts on terminal row 3, column 11
  Show();
  InputEvent click = After(X10Button(0, 11, 3));
  EXPECT_EQ(click.kind, InputEvent::Kind::kClick);
  EXPECT_EQ(click.row, 1);
  EXPECT_EQ(click.column, 1);
  // Its release, and a click in the margin, are not reported.
  EXPECT_TRUE(After(X10Button(3, 11, 3) + X10Button(0, 5, 3) + X10Button(3, 5, 3) + "k").IsKey('k'));
  click = After(X10Button(0, 90, 27));
  EXPECT_EQ(click.row, 25);
  EXPECT_EQ(click.column, 80);
}

// The terminal description names one mouse form; the terminal may send the other.
TEST_F(CursesTerminalTest, BothMouseFormsAreClicksWhateverTheTerminalTypeSays) {
  for (const char* type : {"xterm-256color", "tmux-256color"}) {
    SCOPED_TRACE(type);
    Start(30, 100, type);
    Show();
    InputEvent click = After(X10Button(0, 12, 4));
    EXPECT_EQ(click.kind, InputEvent::Kind::kClick);
    EXPECT_EQ(click.row, 2);
    EXPECT_EQ(click.column, 2);
    click = After("\033[<0;13;5M");
    EXPECT_EQ(click.kind, InputEvent::Kind::kClick);
    EXPECT_EQ(click.row, 3);
    EXPECT_EQ(click.column, 3);
    // Releases and other buttons leave nothing behind, least of all keys.
    EXPECT_TRUE(After(X10Button(3, 12, 4) + X10Button(66, 12, 4) + "\033[<0;13;5m" +
                      "\033[<2;13;5M" + "k")
                    .IsKey('k'));
    // A notch of the wheel, wherever the pointer stands.
    EXPECT_TRUE(After(X10Button(64, 12, 4)).IsKey(kKeyWheelUp));
    EXPECT_TRUE(After(X10Button(65, 1, 1)).IsKey(kKeyWheelDown));
    EXPECT_TRUE(After("\033[<64;13;5M").IsKey(kKeyWheelUp));
    EXPECT_TRUE(After("\033[<65;13;5M").IsKey(kKeyWheelDown));
    terminal_.reset();
  }
}

TEST_F(CursesTerminalTest, AfterTheSwitchReleasesAreClicksAndPressesAreNot) {
  Start(30, 100);
  Show();
  terminal_->ReportButtonReleases();
  InputEvent click = After(X10Button(0, 60, 23) + X10Button(3, 60, 23));
  EXPECT_EQ(click.kind, InputEvent::Kind::kClick);
  EXPECT_EQ(click.row, 21);
  EXPECT_EQ(click.column, 50);
}

TEST_F(CursesTerminalTest, TypedAheadInputIsDropped) {
  Start();
  pty_->Type("abc");
  ASSERT_TRUE(pty_->AwaitTyped(3));
  Show();
  terminal_->DiscardTypedAhead();
  EXPECT_TRUE(After("z").IsKey('z'));
}

TEST_F(CursesTerminalTest, AResizeBetweenFramesRedrawsTheBoardCentredAnew) {
  Start(30, 100);
  Write(1, 1, 7, 0, "corner");
  Show();
  pty_->Resize(40, 120);
  std::string redraw = Show();
  EXPECT_TRUE(Has(redraw, "corner"));
  EXPECT_TRUE(Has(redraw, "\033[8;21H") || Has(redraw, "\033[8;21f")) << "row 8, column 21";
  InputEvent click = After(X10Button(0, 21, 8));
  EXPECT_EQ(click.row, 1);
  EXPECT_EQ(click.column, 1);
}

TEST_F(CursesTerminalTest, AResizeWhileWaitingForAKeyIsNoEvent) {
  Start(30, 100);
  Write(1, 1, 7, 0, "corner");
  Show();
  pty_->Resize(26, 81);
  EXPECT_TRUE(After("k").IsKey('k'));
  EXPECT_TRUE(After(X10Button(0, 1, 1)).row == 1);
}

TEST_F(CursesTerminalTest, ASmallTerminalIsAskedToGrowButNeverToNarrow) {
  Start(24, 80);
  EXPECT_TRUE(Has(startUp_, "\033[8;25;80t"));
  terminal_.reset();
  pty_.reset();
  Start(24, 132);
  EXPECT_TRUE(Has(startUp_, "\033[8;25;132t"));
}

TEST_F(CursesTerminalTest, TheTitleIsPushedOnceAndTheOldOneComesBack) {
  Start();
  terminal_->SetTitle("a\x07z");
  std::string first = pty_->TakeOutput();
  EXPECT_EQ(first, "\033[22;0t\033]0;a•z\a");
  terminal_->SetTitle("L E X");
  EXPECT_EQ(pty_->TakeOutput(), "\033]0;L E X\a");
  std::string end = End();
  EXPECT_TRUE(Has(end, "\033[23;0t"));
  EXPECT_GT(end.find("\033[23;0t"), end.find("\033[?1049l")) << "after the main screen is back";
}

TEST_F(CursesTerminalTest, AfterBeingHandedOverEverythingIsBackAndRedrawn) {
  Start();
  Write(10, 10, 7, 0, "still here");
  Show();
  terminal_->Suspend();
  std::string suspended = pty_->TakeOutput();
  EXPECT_TRUE(Has(suspended, "\033[?1049l"));
  EXPECT_TRUE(Has(suspended, "\033[?1000l"));
  terminal_->Resume();
  std::string resumed = pty_->TakeOutput();
  EXPECT_TRUE(Has(resumed, "\033[?1049h"));
  EXPECT_TRUE(Has(resumed, "\033[?1000h"));
  EXPECT_TRUE(Has(resumed, "still here"));
  EXPECT_TRUE(After("\033[1~").IsKey(kKeyHome)) << "keypad and keys work again";
}

TEST(CursesTerminalOpen, AnUnknownTerminalTypeIsRefusedWithItsName) {
  auto pty = PseudoTerminal::Open(25, 80);
  ASSERT_TRUE(pty);
  std::string error;
  EXPECT_FALSE(CursesTerminal::Open(TerminalDevice{pty->in(), pty->out(), "no-such-term"}, &error));
  EXPECT_TRUE(Has(error, "no-such-term")) << error;
  EXPECT_EQ(pty->TakeOutput(), "");
}

TEST(CursesTerminalOpen, ATerminalThatCannotPlaceTheCursorIsRefusedLikeAnUnknownOne) {
  auto pty = PseudoTerminal::Open(25, 80);
  ASSERT_TRUE(pty);
  std::string error;
  EXPECT_FALSE(CursesTerminal::Open(TerminalDevice{pty->in(), pty->out(), "dumb"}, &error));
  EXPECT_EQ(error, "cannot use the terminal of type dumb");
  EXPECT_EQ(pty->TakeOutput().find_first_not_of("\r\n"), std::string::npos);
  // The backend can be opened again afterwards: nothing of the refused one stays behind.
  EXPECT_TRUE(CursesTerminal::Open(TerminalDevice{pty->in(), pty->out(), "xterm"}, &error));
}

}  // namespace
}  // namespace lexfray
