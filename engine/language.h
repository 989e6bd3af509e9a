// Which users get the French interface: exactly five French locales (France,
// Belgium, Canada, Switzerland, Luxembourg); every other language, other French
// variants included, gets English.
#pragma once

// By Windows language identifier (GetUserDefaultLangID).
bool IsFrenchLanguageId(unsigned short languageId);
// By POSIX locale name such as "fr_FR.UTF-8"; null or empty is English.
bool IsFrenchLocaleName(const char* locale);
