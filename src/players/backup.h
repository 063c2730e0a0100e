#pragma once

#include <string>
#include <string_view>

#include "config/settings.h"
#include "dialogs/io.h"

namespace lexfray {

// The backup menu: "1" backup, "2" restore, "3" help, the empty text when cancelled.
std::string BackupMenu(Io& io);

// Copies programCode.USR to programCode.BKP in the program folder, replacing the previous
// backup, and tells the outcome in a notice. A failed copy leaves the backup as it was. In a
// shared installation only the administrator may; anyone else is told who and how.
void BackupPlayerFile(Io& io, const Settings& settings, std::string_view programCode);

// Copies the backup over the player file and tells the outcome; without a backup it says so
// and touches nothing. A failed copy leaves the player file as it was. The administrator's
// alone in a shared installation, like the backup.
void RestorePlayerFile(Io& io, const Settings& settings, std::string_view programCode);

// Shows the backup help in the document viewer, through a scratch file that is removed once
// the viewer has been closed.
void ShowBackupHelp(Io& io, const Settings& settings);

}  // namespace lexfray
