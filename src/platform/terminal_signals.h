#pragma once

#include <string_view>

namespace lexfray {

// Puts the terminal back when a signal ends the process while the board is up: a hang-up,
// a kill, or a crash. curses itself catches only SIGINT and SIGTERM, and on SIGHUP would
// leave the terminal raw, on the alternate screen, with the mouse still reporting.
//
// One terminal at a time: these functions keep the only global state of the program,
// because a signal handler can be handed nothing else.

// Saves the tty modes of inputFd and catches the ending signals; call before curses starts,
// so that curses leaves these signals to us. A signal that was ignored stays ignored.
void InstallTerminalRestorer(int inputFd, int outputFd);

// From now on a caught signal writes reset (which must undo every mode the program turned
// on) and restores the saved tty modes before the signal takes its course.
void ArmTerminalRestorer(std::string_view reset);

// While the terminal is handed to another program, or after the program has put it back.
void DisarmTerminalRestorer();

// Ends the process as a hang-up would, for a terminal that is gone without one.
[[noreturn]] void EndAsHangUp();

// Ends the process at once with status 1, for a fault the program must not play on after:
// the terminal is put back first (when the board is up), then the message goes to
// standard error.
[[noreturn]] void EndWithMessage(std::string_view message);

// Gives the signals back their previous handlers.
void RemoveTerminalRestorer();

}  // namespace lexfray
