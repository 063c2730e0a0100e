#pragma once

#include <string>

namespace lexfray {

// The folder of the running executable, ending in '/'; empty when it cannot be found, so
// that files are then looked for in the current folder.
std::string ExecutableFolder();

// Where the game keeps its files, ending in '/': the folder fixed when the game was built
// for a shared installation, otherwise the executable's own folder.
std::string ProgramFolder();

// Whether this build plays a shared installation, whose files several players write in turn.
bool IsSharedInstallation();

// In a shared installation, what the game creates must stay writable by the games group
// for the next player: only the group's bits of the umask are opened, the rest stays as the
// player set it.
void OpenGroupBitsOfUmask();

}  // namespace lexfray
