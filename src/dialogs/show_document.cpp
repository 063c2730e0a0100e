#include "dialogs/show_document.h"

#include "dialogs/input_box.h"
#include "platform/files.h"

namespace lexfray {

namespace {

// More than anyone reads in a viewer; a file behind the name that never ends (a device,
// a runaway log) is cut here, so that memory stays small.
constexpr std::size_t kLongestDocument = 1 << 20;
constexpr std::string_view kCutNote = "[The document goes on: only its first 1 MiB is shown.]";

}  // namespace

void ShowDocument(Io& io, const std::string& path, std::string_view title) {
  FilePrefix document = ReadOrCreateFile(path, kLongestDocument);
  if (document.cut) document.bytes += "\r\n\r\n" + std::string(kCutNote);
  ConsoleInputBox(io, kInputStyleViewer, "", title, document.bytes);
}

}  // namespace lexfray
