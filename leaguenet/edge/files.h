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

// What a process may do with a path, or'ed, with the values of a mode's bits.
enum Access { kMayRun = 1, kMayWrite = 2, kMayRead = 4 };

// Whether a process of any player with the games group as its effective group, as the
// exchange that a shared installation's game starts, may use the path so.
bool GamesGroupMay(const std::string& path, int access);

// Whether this process's real user and group may read the file, or run it.
bool CallerMayRead(const std::string& path);
bool CallerMayRun(const std::string& path);

// The current folder with a trailing '/'.
std::string CurrentFolder();

}  // namespace lexfray::leaguenet
