#include "platform/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace lexfray {

namespace {

constexpr int kQuietMs = 30;

void SetSize(int fd, int lines, int columns) {
  winsize size{};
  size.ws_row = static_cast<unsigned short>(lines);
  size.ws_col = static_cast<unsigned short>(columns);
  ::ioctl(fd, TIOCSWINSZ, &size);
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
    : master_(master),
      in_(in),
      out_(out),
      lastOutput_(std::chrono::steady_clock::now()),
      reader_([this] { ReadOutput(); }) {}

PseudoTerminal::~PseudoTerminal() {
  stop_ = true;
  reader_.join();
  std::fclose(in_);
  std::fclose(out_);
  ::close(master_);
}

void PseudoTerminal::Type(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t done = ::write(master_, bytes.data(), bytes.size());
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(done));
  }
}

void PseudoTerminal::ReadOutput() {
  char buffer[4096];
  pollfd poller{master_, POLLIN, 0};
  while (!stop_) {
    if (::poll(&poller, 1, kQuietMs) != 1 || !(poller.revents & POLLIN)) continue;
    ssize_t got = ::read(master_, buffer, sizeof buffer);
    if (got <= 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    output_.append(buffer, static_cast<std::size_t>(got));
    lastOutput_ = std::chrono::steady_clock::now();
  }
}

std::string PseudoTerminal::TakeOutput() {
  const auto quiet = std::chrono::milliseconds(kQuietMs);
  for (;;) {
    std::this_thread::sleep_for(quiet);
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::chrono::steady_clock::now() - lastOutput_ < quiet) continue;
    std::string output;
    output.swap(output_);
    return output;
  }
}

void PseudoTerminal::Resize(int lines, int columns) {
  SetSize(master_, lines, columns);
  ::raise(SIGWINCH);
}

}  // namespace lexfray
