// The language rule (see language.h).
#include "engine/language.h"

#include <cstring>

bool IsFrenchLanguageId(unsigned short languageId) {
  switch (languageId) {
    case 0x040C:  // France
    case 0x080C:  // Belgium
    case 0x0C0C:  // Canada
    case 0x100C:  // Switzerland
    case 0x140C:  // Luxembourg
      return true;
    default:
      return false;
  }
}

bool IsFrenchLocaleName(const char* locale) {
  if (locale == nullptr) return false;
  static const char* const kFrench[] = {"fr_FR", "fr_BE", "fr_CA", "fr_CH", "fr_LU"};
  for (const char* prefix : kFrench) {
    const size_t n = std::strlen(prefix);
    if (std::strncmp(locale, prefix, n) == 0 &&
        (locale[n] == 0 || locale[n] == '.' || locale[n] == '@')) {
      return true;
    }
  }
  return false;
}
