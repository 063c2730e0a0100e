#include "game/dictionary_lookup.h"

#include "console/primitives.h"
#include "game/game_layout.h"

namespace lexfray {

namespace {

constexpr std::string_view kCheckingText = " Checking Dictionary.. ";
constexpr std::string_view kNotFoundText = "  Not in Dictionary ";

}  // namespace

bool LookUpWord(Io& io, const std::string& wordFilePath, const DictionaryIndex& index,
                std::string_view word) {
  using namespace game_layout;
  ClearSpan(io.screen, kMessageRow, kMessageColumn, kMessageWidth, kBlack);
  PrintAt(io.screen, kCheckingText, kBrightWhite, kMagenta, kMessageRow, kCheckingMessageColumn);
  if (SearchWordFile(wordFilePath, index, word)) return true;
  std::string record = RecordOf(word);
  PrintAt(io.screen, record + std::string(kNotFoundText), kLightCyan, kBlack, kMessageRow,
          kNotFoundMessageColumn);
  io.screen.Recolour(kMessageRow, kNotFoundMessageColumn, static_cast<int>(record.size()), kLightRed,
                     kBlack);
  Pause(io, kMessagePauseMs);
  return false;
}

}  // namespace lexfray
