#pragma once

#include <string>

namespace lexfray::leaguenet {

// Whether this process, with its effective user and group, may create files in folder.
bool FolderIsWritable(const std::string& folder);

bool FolderExists(const std::string& folder);

// Whether users other than the file's owner and group may read it.
bool ReadableByEveryone(const std::string& path);

// The current folder with a trailing '/'.
std::string CurrentFolder();

}  // namespace lexfray::leaguenet
