#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace lexfray {

// A pseudo-terminal pair, to run the curses backend on a terminal that a test or a
// benchmark plays itself: what it types goes to the backend's input, and what the backend
// writes can be read back byte for byte. A thread of its own reads the output all the
// time, as a terminal does, so that the backend never blocks on a full buffer.
class PseudoTerminal {
 public:
  // Nothing when the system has no pseudo-terminals to give.
  static std::unique_ptr<PseudoTerminal> Open(int lines, int columns);

  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;
  ~PseudoTerminal();

  // The program's side, for TerminalDevice.
  std::FILE* in() const { return in_; }
  std::FILE* out() const { return out_; }

  // Bytes as if typed on the keyboard.
  void Type(std::string_view bytes);
  // Everything written to the terminal since the last call, once no more has come for a
  // moment (the kernel hands output across with a short delay).
  std::string TakeOutput();
  // A new window size, with the SIGWINCH that the kernel would send to the program.
  void Resize(int lines, int columns);

 private:
  PseudoTerminal(int master, std::FILE* in, std::FILE* out);
  void ReadOutput();

  int master_;
  std::FILE* in_;
  std::FILE* out_;
  std::mutex mutex_;
  std::string output_;
  std::chrono::steady_clock::time_point lastOutput_;
  std::atomic<bool> stop_{false};
  std::thread reader_;
};

}  // namespace lexfray
