#pragma once

#include <string>

namespace lexfray::leaguenet {

// Whether this process, with its effective user and group, may create files in folder.
bool FolderIsWritable(const std::string& folder);

bool FolderExists(const std::string& folder);

// Whether anyone but root may change what is in the folder.
bool WritableByOthers(const std::string& folder);

// Whether the marker is a plain file that the games group may write.
bool MarkerWritableByGame(const std::string& marker);

// Whether users other than the file's owner and group may read it.
bool ReadableByEveryone(const std::string& path);

// The current folder with a trailing '/'.
std::string CurrentFolder();

}  // namespace lexfray::leaguenet
