#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lexfray::mkdict {

// mkdict WORD-LIST OUTPUT-FOLDER: writes the word file and its index into the folder.
// Returns the exit status; a word list with a bad line is refused with a message naming
// the line, and nothing is written.
int RunMkdict(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace lexfray::mkdict
