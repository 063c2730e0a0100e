#pragma once

#include <string>
#include <string_view>

#include "dialogs/io.h"

namespace lexfray {

// Shows the file's text as stored, in the input box's viewer style. A missing file is
// created empty and shows as an empty viewer; a file too long to show is cut, with a note
// that says so.
void ShowDocument(Io& io, const std::string& path, std::string_view title);

}  // namespace lexfray
