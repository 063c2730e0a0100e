#include "shell/documents.h"

#include "config/constants.h"
#include "dialogs/show_document.h"
#include "platform/files.h"

namespace lexfray {

void ShowMenuDocument(Io& io, const Settings& settings, Document document, const std::string& spacedTitle) {
  switch (document) {
    case Document::kLicence:
      ShowDocument(io, settings.PathOf(kLicenceFileName), "END USER LICENSE AGREEMENT (EULA)");
      return;
    case Document::kHistory:
      ShowDocument(io, settings.PathOf(kHistoryFileName), spacedTitle + " CHANGE HISTORY");
      return;
    case Document::kInstructions:
      if (FileExists(settings.PathOf(kInstructionsFileName)))
        ShowDocument(io, settings.PathOf(kInstructionsFileName), spacedTitle + " HELP FILE");
      return;
    case Document::kAdvert:
      ShowDocument(io, settings.PathOf(kAdvertFileName), "LEAGUENET ADVERTISEMENT");
      return;
  }
}

}  // namespace lexfray
