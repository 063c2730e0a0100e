#include "game/about_box.h"

#include "config/constants.h"
#include "dialogs/action_reader.h"
#include "dialogs/message_box.h"

namespace lexfray {

namespace {

// Line breaks and tabs as the boxes read them: the two characters \n and \t.
constexpr std::string_view kBreak = "\\n";
constexpr std::string_view kTab = "\\t";

}  // namespace

std::string AboutText(std::string_view programCode, std::string_view versionText,
                      std::string_view versionDate, std::string_view releaseYears) {
  std::string text;
  auto line = [&text](std::initializer_list<std::string_view> parts) {
    if (!text.empty()) text += kBreak;
    for (std::string_view part : parts) text += part;
  };
  line({kMakerName});
  line({"Copyright (c) ", releaseYears, " ", kMakerName});
  line({"  "});
  line({kTab, programCode});
  line({kTab, "v", versionText, "     ", versionDate});
  line({"   "});
  line({"Contact  :  ", kSupportAddress});
  line({"Web Site:  ", kWebAddress});
  return text;
}

void ShowAbout(Io& io, std::string_view programCode, std::string_view versionText,
               std::string_view versionDate, std::string_view releaseYears) {
  std::string text = IString(AboutText(programCode, versionText, versionDate, releaseYears));
  ConsoleMessageBox(io, text, kStyleOk, "ABOUT " + std::string(programCode), kIconInformation);
}

}  // namespace lexfray
