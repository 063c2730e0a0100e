#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lexfray::leaguenet {

enum class ReadOutcome { kRead, kMissing, kFailed };

// The whole file into *bytes; the reason for a failure in *error.
ReadOutcome ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes,
                          std::string* error);

// Writes bytes into a scratch file in the same folder, flushed, with the owner, group and
// mode of the file it replaces (as far as this process may set them), and renames it over
// path: a kill at any moment leaves either the old file or the new one.
bool ReplaceFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                           std::string* error);

// True when the file is gone afterwards (also when it was never there).
bool RemoveFile(const std::string& path);

// Whether this process, with its effective user and group, may create files in folder.
bool FolderIsWritable(const std::string& folder);

bool FolderExists(const std::string& folder);

// Whether users other than the file's owner and group may read it.
bool ReadableByEveryone(const std::string& path);

// The current folder with a trailing '/'.
std::string CurrentFolder();

// The text of a small file, nothing when it cannot be read.
std::optional<std::string> ReadTextFile(const std::string& path);

}  // namespace lexfray::leaguenet
