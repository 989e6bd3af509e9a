// The pattern scanner: number readers, the pattern's token state machine and the
// matching loop.
#include "format/pattern_scanner.h"

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "text/growable_array.h"

namespace {

int BaseOf(char letter) {
  if (letter == 'x' || letter == 'X') return 16;
  if (letter == 'b' || letter == 'B') return 2;
  return 10;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// strtoul with a 32-bit result whatever the width of long, so that both
// flavours store the same value: a magnitude beyond 32 bits saturates to
// 0xFFFFFFFF, a "-" negates within 32 bits.
bool ReadUnsigned32(const char* text, int& position, char letter, uint32_t& value) {
  const char* start = text + position;
  char* end = nullptr;
  errno = 0;
  const unsigned long raw = std::strtoul(start, &end, BaseOf(letter));
  if (end == start) return false;
  const char* sign = start;
  while (*sign == ' ' || (*sign >= '\t' && *sign <= '\r')) ++sign;
  const bool negative = *sign == '-';
  const unsigned long magnitude = negative ? 0UL - raw : raw;
  // Two half shifts: a single shift by 32 is undefined where long has 32 bits.
  if (errno == ERANGE || ((magnitude >> 16) >> 16) != 0) {
    value = 0xFFFFFFFFu;
  } else {
    value = static_cast<uint32_t>(raw);
  }
  position += static_cast<int>(end - start);
  return true;
}

typedef GrowableArray<PatternToken> TokenList;

void AppendToken(TokenList& tokens, char letter, const String& text) {
  PatternToken token;
  token.letter = letter;
  token.text = text;
  tokens.Append(token);
}

void ParsePattern(const char* pattern, TokenList& tokens) {
  enum class State { kStart, kBlanks, kPercent, kLiteral };
  const String blank(" ");
  State state = State::kStart;
  String literal;
  for (const char* p = pattern;; ++p) {
    const char c = *p;
    switch (state) {
      case State::kBlanks:
        if (IsBlank(c)) break;
        // The run has ended: one blank token, then c as at the start.
        AppendToken(tokens, 0, blank);
        [[fallthrough]];
      case State::kStart:
        if (c == '%') {
          state = State::kPercent;
        } else if (IsBlank(c)) {
          state = State::kBlanks;
        } else if (c != '\0') {
          literal.Clear();
          literal.Append(c);
          state = State::kLiteral;
        }
        break;
      case State::kPercent:
        if (c == '%') {
          // "%%" continues (or begins) a literal with one "%".
          literal.Append(c);
          state = State::kLiteral;
        } else if (c != '\0') {
          AppendToken(tokens, c, String());
          state = State::kStart;
        }
        // A lone "%" at the end is dropped.
        break;
      case State::kLiteral:
        if (c != '\0' && !IsBlank(c) && c != '%') {
          literal.Append(c);
          break;
        }
        AppendToken(tokens, 0, literal);
        literal.Clear();
        state = IsBlank(c) ? State::kBlanks : State::kPercent;
        break;
    }
    if (c == '\0') return;
  }
}

}  // namespace

bool ScanLong(const char* text, int& position, char letter, void* target) {
  const char* start = text + position;
  char* end = nullptr;
  long long value = std::strtol(start, &end, BaseOf(letter));
  if (end == start) return false;
  // Where long is 64 bits, clamp as a 32-bit strtol would.
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  position += static_cast<int>(end - start);
  *static_cast<int32_t*>(target) = static_cast<int32_t>(value);
  return true;
}

bool ScanUShort(const char* text, int& position, char letter, void* target) {
  uint32_t value = 0;
  if (!ReadUnsigned32(text, position, letter, value)) return false;
  *static_cast<uint16_t*>(target) = static_cast<uint16_t>(value);
  return true;
}

bool ScanUByte(const char* text, int& position, char letter, void* target) {
  uint32_t value = 0;
  if (!ReadUnsigned32(text, position, letter, value)) return false;
  *static_cast<uint8_t*>(target) = static_cast<uint8_t>(value);
  return true;
}

int ScanPattern(const String& input, const char* pattern, ...) {
  if (input.IsEmpty()) return 0;
  TokenList tokens;
  tokens.Reserve(32, 0);
  ParsePattern(pattern != nullptr ? pattern : "", tokens);

  va_list args;
  va_start(args, pattern);
  bool more = true;
  for (int i = 0; i < tokens.Count() && more; ++i) {
    PatternToken& token = tokens[i];
    if (token.letter == 0) continue;
    token.reader = va_arg(args, NumberReader);
    if (token.reader == nullptr) {
      more = false;  // the closing null: later conversions stay without a reader
    } else {
      token.target = va_arg(args, void*);
    }
  }
  va_end(args);

  const char* chars = input.CStr();
  const int length = input.Length();
  int position = 0;
  int count = 0;
  for (int i = 0; i < tokens.Count(); ++i) {
    const PatternToken& token = tokens[i];
    if (token.letter != 0 && token.reader != nullptr && token.target != nullptr) {
      if (token.reader(chars, position, token.letter, token.target)) ++count;
      continue;
    }
    if (token.letter == 0 && token.text.Equals(" ")) {
      while (IsBlank(chars[position])) ++position;
      continue;
    }
    const int n = token.text.Length();
    if (n == 0 || n > length) break;
    if (std::strncmp(chars + position, token.text.CStr(), static_cast<size_t>(n)) != 0) break;
    position += n;
  }
  return count;
}
