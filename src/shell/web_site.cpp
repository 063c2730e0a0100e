#include "shell/web_site.h"

#include <string>

#include "config/constants.h"
#include "dialogs/message_box.h"

namespace lexfray {

bool VisitWebSite(Io& io, Launcher& launcher) {
  // One paragraph, wrapped at the box's width: its lines as once written are wider than
  // any box and would break raggedly. The address stands in the box, so that a player
  // without a browser can still type it in elsewhere.
  std::string text = "\t      YOU  MUST BE CONNECTED TO THE INTERNET!";
  text += "\n\nYou will be taken directly to our WEB site where you will be able to find information about";
  text += " Quillon Home Software including product descriptions, LeagueNET competition, download trial";
  text += " versions and MUCH more!";
  text += "\n\n\t\t" + std::string(kWebAddress);
  if (ConsoleMessageBox(io, text, kStyleOkCancel | kStyleExclamation, "TRANSFER TO OUR WEB SITE",
                        kIconExclamation) == kResultCancel)
    return false;
  // The browser may take over this terminal: give it back first.
  io.terminal.Suspend();
  launcher.OpenInBrowser(std::string(kWebAddress));
  return true;
}

}  // namespace lexfray
