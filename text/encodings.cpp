// Conversions between 8-bit, UTF-16 and UTF-8 text, digit tests and the line
// splitter (see encodings.h).
#include "text/encodings.h"

#include "text/char_set.h"

void DecodeToWide(const String& source, WideString& target) {
  const int length = source.Length();
  target.SetLength(length);
  char16_t* out = target.GetBuffer();
  const unsigned char* in = reinterpret_cast<const unsigned char*>(source.CStr());
  for (int i = 0; i < length; ++i) out[i] = CurrentCharSet->Decode(in[i]);
}

namespace {
bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Calls emit(code point) for each code point of the UTF-16 text: pairs are
// combined and lone surrogates become U+FFFD.
template <typename Emit>
void ForEachCodePoint(const WideString& source, Emit emit) {
  const char16_t* in = source.CStr();
  const int length = source.Length();
  for (int i = 0; i < length; ++i) {
    const char16_t u = in[i];
    if (IsHighSurrogate(u) && i + 1 < length && IsLowSurrogate(in[i + 1])) {
      emit(0x10000 + ((static_cast<uint32_t>(u) - 0xD800) << 10) + (in[i + 1] - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
      emit(0xFFFD);
    } else {
      emit(u);
    }
  }
}

int Utf8Size(uint32_t c) { return c <= 0x7F ? 1 : c <= 0x7FF ? 2 : c <= 0xFFFF ? 3 : 4; }
}  // namespace

void WideToUtf8(const WideString& source, String& target) {
  int size = 0;
  ForEachCodePoint(source, [&size](uint32_t c) { size += Utf8Size(c); });
  target.SetLength(size, 0);
  if (size == 0) return;
  unsigned char* out = reinterpret_cast<unsigned char*>(target.GetBuffer());
  ForEachCodePoint(source, [&out](uint32_t c) {
    switch (Utf8Size(c)) {
      case 1:
        *out++ = static_cast<unsigned char>(c);
        break;
      case 2:
        *out++ = static_cast<unsigned char>(0xC0 | (c >> 6));
        *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        break;
      case 3:
        *out++ = static_cast<unsigned char>(0xE0 | (c >> 12));
        *out++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        break;
      default:
        *out++ = static_cast<unsigned char>(0xF0 | (c >> 18));
        *out++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
  });
}

namespace {
// Decodes one UTF-8 sequence at in[*i]; returns U+FFFD for anything malformed
// (bad lead byte, missing continuation, overlong form, surrogate, beyond U+10FFFF).
uint32_t NextUtf8(const unsigned char* in, int* i) {
  const unsigned char lead = in[(*i)++];
  if (lead < 0x80) return lead;
  int extra;
  uint32_t c;
  uint32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, c = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, c = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, c = lead & 0x07, minimum = 0x10000;
  } else {
    return 0xFFFD;
  }
  for (int k = 0; k < extra; ++k) {
    if ((in[*i] & 0xC0) != 0x80) return 0xFFFD;  // the terminator stops here too
    c = (c << 6) | (in[(*i)++] & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
  return c;
}
}  // namespace

void Utf8ToWide(const char* source, WideString& target) {
  const unsigned char* in = reinterpret_cast<const unsigned char*>(source == nullptr ? "" : source);
  int units = 0;
  for (int i = 0; in[i] != 0;) units += NextUtf8(in, &i) > 0xFFFF ? 2 : 1;
  target.SetLength(units);
  if (units == 0) return;
  char16_t* out = target.GetBuffer();
  for (int i = 0; in[i] != 0;) {
    const uint32_t c = NextUtf8(in, &i);
    if (c > 0xFFFF) {
      *out++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      *out++ = static_cast<char16_t>(c);
    }
  }
}

bool IsUnicodeDigit(char16_t u) {
  static const char16_t kRanges[][2] = {
      {0x0030, 0x0039}, {0x0660, 0x0669}, {0x06F0, 0x06F9}, {0x0966, 0x096F}, {0x09E6, 0x09EF},
      {0x0A66, 0x0A6F}, {0x0AE6, 0x0AEF}, {0x0B66, 0x0B6F}, {0x0BE7, 0x0BEF}, {0x0C66, 0x0C6F},
      {0x0CE6, 0x0CEF}, {0x0D66, 0x0D6F}, {0x0E50, 0x0E59}, {0x0ED0, 0x0ED9}, {0x0F20, 0x0F29}};
  for (const auto& range : kRanges) {
    if (u >= range[0] && u <= range[1]) return true;
  }
  return false;
}

bool IsDigitChar(unsigned char byte) { return IsUnicodeDigit(CurrentCharSet->Decode(byte)); }

void SplitLines(const WideString& text, GrowableArray<WideString>& lines) {
  GrowableArray<int32_t> bounds;
  const char16_t* in = text.CStr();
  const int length = text.Length();
  if (length > 0) {
    bounds.Append(0);
    for (int i = 0; i < length; ++i) {
      if (in[i] == 0x0A) {
        bounds.Append(i);
        bounds.Append(i + 1);
      } else if (in[i] == 0x0D) {
        const int next = in[i + 1] == 0x0A ? i + 2 : i + 1;
        bounds.Append(i);
        bounds.Append(next);
        i = next - 1;
      }
    }
    bounds.Append(length);
  }
  const int count = bounds.Count() / 2;
  lines.Resize(count);
  for (int k = 0; k < count; ++k) {
    const int start = bounds[2 * k];
    const int end = bounds[2 * k + 1];
    WideString& line = lines[k];
    line.SetLength(end - start);
    if (end > start) {
      char16_t* out = line.GetBuffer();
      for (int i = start; i < end; ++i) out[i - start] = in[i];
    }
  }
}
