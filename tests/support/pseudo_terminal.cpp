#include "support/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace lexfray::testing {

namespace {

constexpr auto kDeadline = std::chrono::seconds(10);
// How soon the reader thread notices that it is to stop.
constexpr int kStopCheckMs = 20;

void SetSize(int fd, int lines, int columns) {
  winsize size{};
  size.ws_row = static_cast<unsigned short>(lines);
  size.ws_col = static_cast<unsigned short>(columns);
  ::ioctl(fd, TIOCSWINSZ, &size);
}

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t done = ::write(fd, bytes.data(), bytes.size());
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(done));
  }
}

}  // namespace

std::unique_ptr<PseudoTerminal> PseudoTerminal::Open(int lines, int columns) {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return nullptr;
  const char* name = ::grantpt(master) == 0 && ::unlockpt(master) == 0 ? ::ptsname(master) : nullptr;
  int slave = name ? ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
  if (slave < 0) {
    ::close(master);
    return nullptr;
  }
  SetSize(master, lines, columns);
  int slaveOut = ::dup(slave);
  std::FILE* in = ::fdopen(slave, "r");
  std::FILE* out = slaveOut >= 0 ? ::fdopen(slaveOut, "w") : nullptr;
  if (!in || !out) {
    if (in) std::fclose(in);
    if (out) std::fclose(out);
    ::close(master);
    return nullptr;
  }
  return std::unique_ptr<PseudoTerminal>(new PseudoTerminal(master, in, out));
}

PseudoTerminal::PseudoTerminal(int master, std::FILE* in, std::FILE* out)
    : master_(master), in_(in), out_(out), reader_([this] { ReadOutput(); }) {}

PseudoTerminal::~PseudoTerminal() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  reader_.join();
  std::fclose(in_);
  std::fclose(out_);
  ::close(master_);
}

void PseudoTerminal::Type(std::string_view bytes) { WriteAll(master_, bytes); }

bool PseudoTerminal::AwaitTyped(std::size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  for (;;) {
    int waiting = 0;
    if (::ioctl(fileno(in_), FIONREAD, &waiting) == 0 && static_cast<std::size_t>(waiting) >= count)
      return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void PseudoTerminal::ReadOutput() {
  char buffer[4096];
  pollfd poller{master_, POLLIN, 0};
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_) return;
    }
    if (::poll(&poller, 1, kStopCheckMs) != 1 || !(poller.revents & POLLIN)) continue;
    ssize_t got = ::read(master_, buffer, sizeof buffer);
    if (got <= 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    output_.append(buffer, static_cast<std::size_t>(got));
    arrived_.notify_all();
  }
}

std::string PseudoTerminal::TakeOutput() {
  std::fflush(out_);
  // An application program command: a string no terminal shows, and no program here writes.
  std::string mark = "\033_pseudo-terminal mark " + std::to_string(++marks_) + "\033\\";
  WriteAll(fileno(out_), mark);
  std::unique_lock<std::mutex> lock(mutex_);
  arrived_.wait_for(lock, kDeadline, [&] { return output_.find(mark) != std::string::npos; });
  std::size_t at = output_.find(mark);
  std::string output = output_.substr(0, at);
  output_.erase(0, at == std::string::npos ? std::string::npos : at + mark.size());
  return output;
}

void PseudoTerminal::Resize(int lines, int columns) {
  SetSize(master_, lines, columns);
  ::raise(SIGWINCH);
}

}  // namespace lexfray::testing
