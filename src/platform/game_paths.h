#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace lexfray {

// The program folder of a shared installation opens only to the games group, so every
// lookup of a path in it holds the group; reads and writes on a descriptor need none.
// Descriptors are opened close-on-exec: the exchange program is started with none of them.

int OpenGamePath(const std::string& path, int flags, mode_t mode = 0);
bool StatGamePath(const std::string& path, struct stat& info);
bool GamePathExists(const std::string& path);
// True when the path is gone afterwards, whoever removed it.
bool UnlinkGamePath(const std::string& path);
// True while path still names the file fd has open: no one has put another in its place.
bool StillNames(int fd, const std::string& path);

}  // namespace lexfray
