#pragma once

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace lexfray::testing {

// Writes the dictionary files for the words into folder (through the builder the game
// ships with).
void WriteDictionary(const TempFolder& folder, std::vector<std::string> words);

}  // namespace lexfray::testing
