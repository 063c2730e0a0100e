#include "platform/terminal_signals.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <iterator>
#include <string>

namespace lexfray {

namespace {

constexpr int kEndingSignals[] = {SIGTERM, SIGHUP, SIGINT,  SIGQUIT, SIGSEGV,
                                  SIGBUS,  SIGFPE, SIGILL, SIGABRT};
constexpr std::size_t kSignalCount = std::size(kEndingSignals);

// Everything the handler reads, prepared beforehand: it may call only async-signal-safe
// functions, so nothing is computed or allocated in it.
struct RestorerState {
  int inputFd = -1;
  int outputFd = -1;
  bool haveModes = false;
  termios modes{};
  char reset[512] = {};
  std::size_t resetLength = 0;
  volatile sig_atomic_t armed = 0;
  bool installed[kSignalCount] = {};
  struct sigaction previous[kSignalCount] = {};
};

RestorerState state;

std::size_t IndexOf(int signal) {
  return static_cast<std::size_t>(std::find(std::begin(kEndingSignals), std::end(kEndingSignals),
                                            signal) -
                                  std::begin(kEndingSignals));
}

void WriteAll(int fd, const char* bytes, std::size_t length) {
  while (length > 0) {
    ssize_t done = ::write(fd, bytes, length);
    if (done <= 0) return;  // a hung-up terminal takes nothing more
    bytes += done;
    length -= static_cast<std::size_t>(done);
  }
}

void RestoreTerminal() {
  if (!state.armed) return;
  state.armed = 0;
  WriteAll(state.outputFd, state.reset, state.resetLength);
  if (state.haveModes) ::tcsetattr(state.inputFd, TCSANOW, &state.modes);
}

void RestoreAndResignal(int signal) {
  RestoreTerminal();
  // With the previous handler back (the default, or a sanitizer's report), the signal is
  // raised again; it is blocked in here and arrives as soon as this handler returns.
  std::size_t i = IndexOf(signal);
  if (i < kSignalCount) ::sigaction(signal, &state.previous[i], nullptr);
  ::raise(signal);
}

}  // namespace

void InstallTerminalRestorer(int inputFd, int outputFd) {
  state.inputFd = inputFd;
  state.outputFd = outputFd;
  state.haveModes = ::tcgetattr(inputFd, &state.modes) == 0;
  struct sigaction action {};
  action.sa_handler = RestoreAndResignal;
  sigfillset(&action.sa_mask);
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    ::sigaction(kEndingSignals[i], nullptr, &state.previous[i]);
    // nohup and friends ignore SIGHUP on purpose.
    if (state.previous[i].sa_handler == SIG_IGN) continue;
    state.installed[i] = ::sigaction(kEndingSignals[i], &action, nullptr) == 0;
  }
}

void ArmTerminalRestorer(std::string_view reset) {
  state.armed = 0;
  state.resetLength = std::min(reset.size(), sizeof state.reset);
  std::copy_n(reset.data(), state.resetLength, state.reset);
  state.armed = 1;
}

void DisarmTerminalRestorer() { state.armed = 0; }

void EndAsHangUp() {
  struct sigaction hangUp {};
  hangUp.sa_handler = SIG_DFL;
  ::sigaction(SIGHUP, &hangUp, nullptr);
  RestoreAndResignal(SIGHUP);
  ::_exit(128 + SIGHUP);  // SIGHUP was ignored (nohup) or is blocked
}

void EndWithMessage(std::string_view message) {
  RestoreTerminal();
  std::string line = std::string(program_invocation_short_name) + ": " + std::string(message) + "\n";
  WriteAll(STDERR_FILENO, line.data(), line.size());
  ::_exit(1);
}

void RemoveTerminalRestorer() {
  state.armed = 0;
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    if (state.installed[i]) ::sigaction(kEndingSignals[i], &state.previous[i], nullptr);
    state.installed[i] = false;
  }
}

}  // namespace lexfray
