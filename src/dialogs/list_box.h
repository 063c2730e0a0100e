#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dialogs/io.h"

namespace lexfray {

// What a list box hands back for the chosen entry.
enum ListResultForm : int { kListReturnsText = 0, kListReturnsPosition = 2 };

// A modal menu of entries under a prompt. It scrolls when the list is longer than the box.
// The arrow keys, the mouse wheel, PgUp, PgDn, Home and End move; typing finds the entry
// that starts with what was typed (letters typed within a second of each other make one
// text, and one letter typed again goes on to the next entry with it); a click on the mark
// of more entries above or below scrolls by a page. Enter or a click on an entry's text
// chooses, Esc cancels. The result is the chosen entry's text (kListReturnsText) or its
// position from "1" (kListReturnsPosition), and the empty text when cancelled.
std::string ConsoleListBox(Io& io, int style, std::string_view prompt, std::string_view title,
                           const std::vector<std::string>& entries, int resultForm);

}  // namespace lexfray
