#include "platform/escape_sequences.h"

#include <charconv>

#include "platform/terminal.h"

namespace lexfray {

namespace {

bool IsFinalByte(char c) { return c >= 0x40 && c <= 0x7E; }

// The keys named by a final letter, after CSI or SS3, whatever modifiers came before it.
std::optional<int> KeyOfFinalLetter(char letter) {
  switch (letter) {
    case 'A': return kKeyUp;
    case 'B': return kKeyDown;
    case 'C': return kKeyRight;
    case 'D': return kKeyLeft;
    case 'H': return kKeyHome;
    case 'F': return kKeyEnd;
    case 'Z': return kKeyBackTab;
    case 'E': case 'P': case 'Q': case 'R': case 'S': return kKeyFunction;
    default: return std::nullopt;
  }
}

// ESC [ n ~ (with modifiers after a semicolon): the vt220 editing keys and F5 on.
std::optional<int> KeyOfTildeNumber(std::string_view parameters) {
  int number = 0;
  auto [end, error] = std::from_chars(parameters.data(), parameters.data() + parameters.size(),
                                      number);
  if (error != std::errc() || (end != parameters.data() + parameters.size() && *end != ';'))
    return std::nullopt;
  switch (number) {
    case 1: case 7: return kKeyHome;
    case 2: return kKeyInsert;
    case 3: return kKeyDelete;
    case 4: case 8: return kKeyEnd;
    case 5: return kKeyPageUp;
    case 6: return kKeyPageDown;
    default: return number >= 11 && number <= 34 ? std::optional<int>(kKeyFunction) : std::nullopt;
  }
}

// The numeric keypad in application mode sends ESC O and a letter from 'j' on.
std::optional<int> KeyOfKeypad(char letter) {
  constexpr std::string_view kLetters = "jklmnopqrstuvwxy";
  constexpr std::string_view kKeys = "*+,-./0123456789";
  if (letter == 'M') return kKeyEnter;
  if (letter == 'X') return '=';
  std::size_t at = kLetters.find(letter);
  if (at == std::string_view::npos) return std::nullopt;
  return static_cast<unsigned char>(kKeys[at]);
}

}  // namespace

bool IsCompleteEscapeSequence(std::string_view sequence) {
  if (sequence.size() < 2) return false;
  if (sequence[0] == 'O') return true;
  return sequence[0] == '[' && IsFinalByte(sequence.back());
}

std::optional<int> KeyOfEscapeSequence(std::string_view sequence) {
  if (!IsCompleteEscapeSequence(sequence)) return std::nullopt;
  char final = sequence.back();
  if (sequence[0] == 'O') {
    if (sequence.size() != 2) return std::nullopt;
    if (auto key = KeyOfKeypad(final)) return key;
    return KeyOfFinalLetter(final);
  }
  std::string_view parameters = sequence.substr(1, sequence.size() - 2);
  if (final == '~') return KeyOfTildeNumber(parameters);
  // Private sequences (ESC [ < ..., ESC [ ? ...) are replies and mouse reports, not keys.
  if (!parameters.empty() && (parameters[0] < '0' || parameters[0] > ';')) return std::nullopt;
  return KeyOfFinalLetter(final);
}

}  // namespace lexfray
