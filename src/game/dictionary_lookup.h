#pragma once

#include <string>
#include <string_view>

#include "dialogs/io.h"
#include "game/dictionary.h"

namespace lexfray {

// The dictionary check of a word, with its messages in the game's message area: "Checking
// Dictionary.." while it looks, and on a miss the padded word with "Not in Dictionary" for
// two seconds. True when the word file holds the word.
bool LookUpWord(Io& io, const std::string& wordFilePath, const DictionaryIndex& index,
                std::string_view word);

}  // namespace lexfray
