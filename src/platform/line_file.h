#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lexfray {

// A small file of text lines that only grows, changed under a lock its callers hold.

// Writes bytes at offset, the end of the file's last whole line, and ends the file right
// after them, so that a line a crash left torn at the end is written over. The file is
// created when missing (never through a link to a missing file). On failure (a full disk)
// the file ends at offset again: no torn line is left behind either. The reason in *error.
bool WriteAfterLastLine(const std::string& path, std::uint64_t offset, std::string_view bytes,
                        std::string* error = nullptr);

}  // namespace lexfray
