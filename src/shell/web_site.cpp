#include "shell/web_site.h"

#include <string>

#include "config/constants.h"
#include "dialogs/message_box.h"

namespace lexfray {

bool VisitWebSite(Io& io, Launcher& launcher) {
  std::string text = "\t      YOU  MUST BE CONNECTED TO THE INTERNET!";
  text += "\n\nYou will be taken directly to our WEB site where you will be able to find information about";
  text += "\nQuillon Home Software including product descriptions, LeagueNET competition, download trial";
  text += "\nversions and MUCH more!";
  if (ConsoleMessageBox(io, text, kStyleOkCancel | kStyleExclamation, "TRANSFER TO OUR WEB SITE",
                        kIconExclamation) == kResultCancel)
    return false;
  // The browser may take over this terminal: give it back first.
  io.terminal.Suspend();
  launcher.OpenInBrowser(std::string(kWebAddress));
  return true;
}

}  // namespace lexfray
