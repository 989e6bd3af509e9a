// The language rule: exactly five French locales get the French interface.
#include <gtest/gtest.h>

#include "engine/language.h"

namespace {

TEST(EngineLanguage, OnlyFiveFrenchLocalesAreFrench) {
  struct Case {
    unsigned short id;
    const char* locale;
    bool french;
  };
  const Case cases[] = {
      {0x040C, "fr_FR.UTF-8", true},  {0x080C, "fr_BE", true},       {0x0C0C, "fr_CA.utf8", true},
      {0x100C, "fr_CH@euro", true},   {0x140C, "fr_LU.UTF-8", true}, {0x180C, "fr_MC.UTF-8", false},
      {0x0409, "en_US.UTF-8", false}, {0x0407, "de_DE", false},      {0x000C, "fr", false},
      {0x0000, "fr_FRX", false},      {0x0000, "", false},           {0x0000, "C", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsFrenchLanguageId(c.id), c.french) << std::hex << c.id;
    EXPECT_EQ(IsFrenchLocaleName(c.locale), c.french) << c.locale;
  }
  EXPECT_FALSE(IsFrenchLocaleName(nullptr));
}

}  // namespace
