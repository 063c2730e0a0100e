#include "platform/system/escape_sequences.h"

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

// The button value of both forms: the low two bits name the button (3: a release in X10),
// 32 marks a motion and 64 a wheel, whose buttons 0 and 1 turn it up and down.
constexpr int kButtonBits = 3;
constexpr int kMotion = 32;
constexpr int kWheel = 64;
constexpr int kMotionOrWheel = kMotion | kWheel;

bool IsLeftPress(int button) {
  return (button & kButtonBits) == 0 && (button & kMotionOrWheel) == 0;
}

int WheelOf(int button) {
  if ((button & kMotionOrWheel) != kWheel) return 0;
  switch (button & kButtonBits) {
    case 0: return -1;
    case 1: return 1;
    default: return 0;  // sideways
  }
}

std::optional<int> NumberAt(std::string_view& text) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc()) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return value;
}

}  // namespace

std::optional<MouseReport> X10MouseReport(std::string_view bytes) {
  if (bytes.size() != 3) return std::nullopt;
  int button = static_cast<unsigned char>(bytes[0]) - 32;
  MouseReport report;
  report.x = static_cast<unsigned char>(bytes[1]) - 32;
  report.y = static_cast<unsigned char>(bytes[2]) - 32;
  report.leftPress = IsLeftPress(button);
  report.release = (button & kButtonBits) == kButtonBits && (button & kMotionOrWheel) == 0;
  report.wheel = WheelOf(button);
  return report;
}

std::optional<MouseReport> SgrMouseReport(std::string_view sequence) {
  if (!sequence.starts_with("[<") || sequence.size() < 3) return std::nullopt;
  char final = sequence.back();
  if (final != 'M' && final != 'm') return std::nullopt;
  std::string_view fields = sequence.substr(2, sequence.size() - 3);
  std::optional<int> button = NumberAt(fields);
  if (!button || !fields.starts_with(';')) return std::nullopt;
  fields.remove_prefix(1);
  std::optional<int> x = NumberAt(fields);
  if (!x || !fields.starts_with(';')) return std::nullopt;
  fields.remove_prefix(1);
  std::optional<int> y = NumberAt(fields);
  if (!y || !fields.empty()) return std::nullopt;
  MouseReport report;
  report.x = *x;
  report.y = *y;
  bool left = IsLeftPress(*button);
  report.leftPress = left && final == 'M';
  report.release = left && final == 'm';
  report.wheel = final == 'M' ? WheelOf(*button) : 0;
  return report;
}

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
