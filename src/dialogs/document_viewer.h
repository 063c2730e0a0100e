#pragma once

#include <string_view>

#include "dialogs/io.h"

namespace lexfray {

// A read-only viewer of a whole text across the width of the board: the arrow keys, the
// mouse wheel (three lines a notch), PgUp, PgDn, Space, Home and End scroll; Enter, Esc or
// a click on Close close it. Line ends and tabs are the text's own characters; long lines
// wrap.
void ViewDocument(Io& io, std::string_view title, std::string_view text);

}  // namespace lexfray
