#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace lexfray::testing {

// A pseudo-terminal pair, to run the curses backend on a terminal that a test or a
// benchmark plays itself: what it types goes to the backend's input, and what the backend
// writes can be read back byte for byte. A thread of its own reads the output all the
// time, as a terminal does, so that the backend never blocks on a full buffer.
//
// Nothing here waits for a fixed time: each wait is for the bytes themselves, with a
// deadline far beyond what a loaded machine needs.
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
  // True once at least count typed bytes wait on the program's side to be read.
  bool AwaitTyped(std::size_t count);
  // Everything written to the program's side before this call and not taken before. A
  // mark written after it comes through the kernel behind all of it.
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
  std::condition_variable arrived_;
  std::string output_;
  int marks_ = 0;
  bool stop_ = false;
  std::thread reader_;
};

}  // namespace lexfray::testing
