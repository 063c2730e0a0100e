#pragma once

#include <string>
#include <string_view>

#include "dialogs/io.h"

namespace lexfray {

// A read-only viewer of a whole text across the width of the board: the arrow keys, PgUp, PgDn,
// Space, Home and End scroll, Enter, Esc or a click on Close close it. Line ends and tabs
// are the text's own characters; long lines wrap.
void ViewDocument(Io& io, std::string_view title, std::string_view text);

// Shows the file's text in the viewer as stored. A missing file is created empty and
// shows as an empty viewer; a file too long to show is cut, with a note that says so.
void ShowDocument(Io& io, const std::string& path, std::string_view title);

}  // namespace lexfray
