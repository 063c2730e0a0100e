#include "platform/system/curses_terminal.h"

#include <curses.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>

#include "platform/system/curses_keys.h"
#include "platform/system/curses_look.h"
#include "platform/system/escape_sequences.h"
#include "platform/terminal_signals.h"
#include "platform/system/terminal_text.h"

namespace lexfray {

namespace {

// xterm's title stack: the title the player had comes back when the program ends.
constexpr std::string_view kPushTitle = "\033[22;0t";
constexpr std::string_view kPopTitle = "\033[23;0t";
// Mouse reporting off, in both forms curses may have turned on.
constexpr std::string_view kMouseOff = "\033[?1006;1000l";
constexpr std::size_t kLongestSequence = 32;

// A terminfo string, empty when the terminal has none.
std::string Capability(const char* name) {
  const char* value = tigetstr(name);
  if (value == nullptr || value == reinterpret_cast<const char*>(-1)) return {};
  return WithoutPadding(value);
}

// True when nothing more can come from the terminal: it was closed or hung up.
bool InputIsGone(int fd) {
  pollfd poller{fd, POLLIN, 0};
  return ::poll(&poller, 1, 0) == 1 && (poller.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

std::string NameOf(const char* type) {
  const char* name = type ? type : std::getenv("TERM");
  return name && *name ? name : "(none: TERM is not set)";
}

}  // namespace

std::unique_ptr<CursesTerminal> CursesTerminal::Open(const TerminalDevice& device,
                                                     std::string* error) {
  std::setlocale(LC_ALL, "");
  bool unicode = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  int inFd = fileno(device.in);
  int outFd = fileno(device.out);
  if (!::isatty(inFd) || !::isatty(outFd)) {
    if (error) *error = "it needs an interactive terminal: run it in a terminal window, with its input and output not redirected";
    return nullptr;
  }
  InstallTerminalRestorer(inFd, outFd);
  // The size always from the terminal itself: curses would take an exported LINES or
  // COLUMNS instead, which goes stale at the first resize.
  ::unsetenv("LINES");
  ::unsetenv("COLUMNS");
  ::screen* curses = newterm(device.type, device.out, device.in);
  // A terminal that cannot place the cursor (TERM=dumb) cannot show the board at all.
  if (curses != nullptr && Capability("cup").empty()) {
    endwin();
    delscreen(curses);
    curses = nullptr;
  }
  if (curses == nullptr) {
    RemoveTerminalRestorer();
    if (error) *error = "cannot use the terminal of type " + NameOf(device.type);
    return nullptr;
  }
  return std::unique_ptr<CursesTerminal>(new CursesTerminal(device, curses, unicode));
}

CursesTerminal::CursesTerminal(const TerminalDevice& device, ::screen* curses, bool unicode)
    : curses_(curses), in_(device.in), out_(device.out), unicode_(unicode) {
  set_term(curses_);
  SetUpModes();
  look_ = std::make_unique<CellLook>(unicode_);
  SizeChanged();
  // Everything curses has to say at start-up goes out now, before any sequence of ours.
  wrefresh(stdscr);
  ArmRestorer();
  AskToGrow();
}

CursesTerminal::~CursesTerminal() {
  DisarmTerminalRestorer();
  if (!suspended_) endwin();
  if (titlePushed_) WriteRaw(kPopTitle);
  delscreen(curses_);
  RemoveTerminalRestorer();
}

void CursesTerminal::SetUpModes() {
  raw();
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  define_key("\033OM", KEY_ENTER);  // the keypad's Enter in application mode
  set_escdelay(25);
  SetCursorVisibility(0);
  // Buttons 4 and 5 are the wheel.
  mousemask(BUTTON1_PRESSED | BUTTON1_RELEASED | BUTTON4_PRESSED | BUTTON5_PRESSED, nullptr);
  // Without this curses waits to merge a press and its release into one click.
  mouseinterval(0);
}

// What a signal handler writes to undo the modes above, if the program cannot.
void CursesTerminal::ArmRestorer() {
  std::string reset(kMouseOff);
  for (const char* name : {"sgr0", "cnorm", "rmkx", "rmcup"}) reset += Capability(name);
  if (titlePushed_) reset += kPopTitle;
  ArmTerminalRestorer(reset);
}

// Many xterm-like terminals honour a request to resize their window.
void CursesTerminal::AskToGrow() {
  if (layout_.fits) return;
  WriteRaw("\033[8;" + std::to_string(std::max(layout_.lines, kRows)) + ";" +
           std::to_string(std::max(layout_.columns, kColumns)) + "t");
}

void CursesTerminal::Show(const Screen& screen) { DrawFitting(screen); }

InputEvent CursesTerminal::NextEvent() {
  for (;;) {
    if (std::optional<InputEvent> event = EventOf(ReadBlocking())) return *event;
  }
}

void CursesTerminal::DiscardTypedAhead() {
  flushinp();
  pending_.clear();
}

void CursesTerminal::SetTitle(std::string_view title) {
  std::string start = Capability("tsl");
  std::string end = Capability("fsl");
  if (start.empty() || end.empty()) {
    // The Linux console would print an xterm title sequence as text.
    if (std::string_view(termname()).starts_with("linux")) return;
    start = "\033]2;";
    end = "\a";
  }
  std::string bytes;
  if (!titlePushed_) {
    titlePushed_ = true;
    ArmRestorer();
    bytes = kPushTitle;
  }
  WriteRaw(bytes + start + TitleText(title, unicode_) + end);
}

void CursesTerminal::Suspend() {
  if (suspended_) return;
  DisarmTerminalRestorer();
  endwin();
  suspended_ = true;
}

void CursesTerminal::Resume() {
  if (!suspended_) return;
  suspended_ = false;
  ArmRestorer();
  // The other program may have drawn anything, and the terminal may have changed size.
  redrawAll_ = true;
  DrawFitting(shown_);
}

bool CursesTerminal::ReadCurses(int timeoutMs) {
  wtimeout(stdscr, timeoutMs);
  int code = wgetch(stdscr);
  if (code == ERR) return false;
  if (code != KEY_MOUSE) {
    pending_.push_back(RawInput{code});
    return true;
  }
  // Events that came in one read (a quick press and release) share one KEY_MOUSE, and
  // curses hands them out newest first.
  std::deque<RawInput> events;
  MEVENT event{};
  while (getmouse(&event) == OK) {
    RawInput raw{code, event.y, event.x};
    raw.pressed = (event.bstate & BUTTON1_PRESSED) != 0;
    raw.released = (event.bstate & BUTTON1_RELEASED) != 0;
    raw.wheel = (event.bstate & BUTTON4_PRESSED) ? -1 : (event.bstate & BUTTON5_PRESSED) ? 1 : 0;
    events.push_front(raw);
  }
  pending_.insert(pending_.end(), events.begin(), events.end());
  return true;
}

std::optional<CursesTerminal::RawInput> CursesTerminal::Read(int timeoutMs) {
  if (pending_.empty() && !ReadCurses(timeoutMs)) return std::nullopt;
  if (pending_.empty()) return std::nullopt;  // a KEY_MOUSE without an event
  RawInput raw = pending_.front();
  pending_.pop_front();
  return raw;
}

// Blocks in the kernel until there is input: an idle game takes no processor time.
CursesTerminal::RawInput CursesTerminal::ReadBlocking() {
  for (;;) {
    if (std::optional<RawInput> raw = Read(-1)) return *raw;
    // A signal that interrupted the wait is no reason to stop; a terminal that is gone is.
    if (InputIsGone(fileno(in_))) EndAsHangUp();
  }
}

std::optional<InputEvent> CursesTerminal::EventOf(const RawInput& raw) {
  // A resize that curses has not reported yet has moved the board, and the clicks on it.
  if (SizeChanged() || raw.code == KEY_RESIZE) DrawFitting(shown_);
  if (raw.code == KEY_RESIZE) return std::nullopt;
  if (raw.code == KEY_MOUSE) return MouseEventOf(raw);
  if (raw.code == kKeyEscape) return ReadEscapeSequence();
  std::optional<int> key = KeyOfCursesCode(raw.code);
  if (!key) return std::nullopt;
  return InputEvent::KeyPress(*key);
}

// After an ESC, what the terminal sent with it is already there: read on without waiting.
// curses decodes only the mouse form the terminal description names; the other form
// arrives here, and a terminal may send either.
std::optional<InputEvent> CursesTerminal::ReadEscapeSequence() {
  std::optional<RawInput> next = Read(0);
  if (!next) return InputEvent::KeyPress(kKeyEscape);
  if (next->code != '[' && next->code != 'O') {
    pending_.push_front(*next);
    return InputEvent::KeyPress(kKeyEscape);
  }
  std::string sequence(1, static_cast<char>(next->code));
  while (!IsCompleteEscapeSequence(sequence) && sequence.size() < kLongestSequence) {
    std::optional<RawInput> more = Read(0);
    if (!more) break;
    if (more->code < 0x20 || more->code > 0x7E) {
      pending_.push_front(*more);
      break;
    }
    sequence.push_back(static_cast<char>(more->code));
  }
  std::optional<MouseReport> report =
      sequence == "[M" ? X10MouseReport(ReadX10Bytes()) : SgrMouseReport(sequence);
  if (report)
    return MouseEventOf(RawInput{KEY_MOUSE, report->y - 1, report->x - 1, report->leftPress,
                                 report->release, report->wheel});
  std::optional<int> key = KeyOfEscapeSequence(sequence);
  if (!key) return std::nullopt;
  return InputEvent::KeyPress(*key);
}

// The three bytes of an X10 report, any values; fewer when the report was cut short.
std::string CursesTerminal::ReadX10Bytes() {
  std::string bytes;
  while (bytes.size() < 3) {
    std::optional<RawInput> more = Read(0);
    if (!more) break;
    if (more->code > 0xFF) {
      pending_.push_front(*more);
      break;
    }
    bytes.push_back(static_cast<char>(more->code));
  }
  return bytes;
}

// A notch of the wheel scrolls whatever is open, wherever the pointer stands; a click
// counts only on the board.
std::optional<InputEvent> CursesTerminal::MouseEventOf(const RawInput& raw) const {
  if (raw.wheel != 0) return InputEvent::KeyPress(raw.wheel < 0 ? kKeyWheelUp : kKeyWheelDown);
  bool wanted = reportReleases_ ? raw.released : raw.pressed;
  int row = 0;
  int column = 0;
  if (!wanted || !layout_.ToBoard(raw.y, raw.x, row, column)) return std::nullopt;
  return InputEvent::Click(row, column);
}

// curses learns of a new size only at some calls after the signal; the terminal itself
// always knows it, so every frame and every event asks it.
void CursesTerminal::FollowTerminalSize() {
  winsize size{};
  if (::ioctl(fileno(out_), TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0) return;
  if (size.ws_row != getmaxy(stdscr) || size.ws_col != getmaxx(stdscr))
    resizeterm(size.ws_row, size.ws_col);
}

bool CursesTerminal::SizeChanged() {
  FollowTerminalSize();
  int lines = getmaxy(stdscr);
  int columns = getmaxx(stdscr);
  if (lines == layout_.lines && columns == layout_.columns) return false;
  layout_ = LayoutFor(lines, columns);
  redrawAll_ = true;
  return true;
}

// The game waits here, behind the notice, until the board fits; what is typed meanwhile
// is dropped, since the player cannot see what it would do.
void CursesTerminal::WaitUntilBoardFits() {
  SizeChanged();
  while (!layout_.fits) {
    ShowEnlargeNotice();
    ReadBlocking();
    SizeChanged();
  }
}

void CursesTerminal::ShowEnlargeNotice() {
  werase(stdscr);
  std::vector<std::string> notice = EnlargeNotice(layout_.lines, layout_.columns);
  int top = std::max(0, (layout_.lines - static_cast<int>(notice.size())) / 2);
  for (std::size_t i = 0; i < notice.size(); ++i) {
    int x = std::max(0, (layout_.columns - static_cast<int>(notice[i].size())) / 2);
    mvwaddstr(stdscr, top + static_cast<int>(i), x, notice[i].c_str());
  }
  SetCursorVisibility(0);
  wrefresh(stdscr);
}

// A resize may also come while curses sends a frame: then the frame is drawn again.
void CursesTerminal::DrawFitting(const Screen& screen) {
  do {
    WaitUntilBoardFits();
    Draw(screen);
  } while (SizeChanged());
}

void CursesTerminal::Draw(const Screen& screen) {
  if (redrawAll_) {
    werase(stdscr);
    clearok(curscr, TRUE);
  }
  std::array<cchar_t, kColumns> row;
  for (int r = 1; r <= kRows; ++r) {
    std::size_t offset = static_cast<std::size_t>((r - 1) * kColumns);
    const Cell* first = screen.cells().data() + offset;
    if (!redrawAll_ && std::equal(first, first + kColumns, shown_.cells().data() + offset)) continue;
    for (int c = 0; c < kColumns; ++c) look_->Render(first[c], row[static_cast<std::size_t>(c)]);
    // Unlike adding characters one by one, this never moves the cursor, so the last cell
    // of the board cannot scroll the terminal.
    mvwadd_wchnstr(stdscr, layout_.top + r - 1, layout_.left, row.data(), kColumns);
  }
  shown_ = screen;
  redrawAll_ = false;
  PlaceCursor(screen);
  wrefresh(stdscr);
}

void CursesTerminal::PlaceCursor(const Screen& screen) {
  if (!screen.CursorVisible()) {
    SetCursorVisibility(0);
    return;
  }
  wmove(stdscr, layout_.top + screen.CursorRow() - 1, layout_.left + screen.CursorColumn() - 1);
  SetCursorVisibility(1);
}

void CursesTerminal::SetCursorVisibility(int visibility) {
  if (visibility == cursorVisibility_) return;
  curs_set(visibility);
  cursorVisibility_ = visibility;
}

// For sequences curses has no call for; curses has sent all it had when this is called.
void CursesTerminal::WriteRaw(std::string_view bytes) {
  std::fflush(out_);
  int fd = fileno(out_);
  while (!bytes.empty()) {
    ssize_t done = ::write(fd, bytes.data(), bytes.size());
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(done));
  }
}

}  // namespace lexfray
