// Character sets: case tables, decoding tables, names and the registry order.
#include <gtest/gtest.h>

#include <cstring>

#include "text/char_set.h"
#include "text/shared_string.h"

namespace {

const CharSet* SetNamed(const char* name) {
  for (int i = 0; i < CharSetRegistry.Count(); ++i) {
    if (std::strcmp(CharSetRegistry[i]->Name(), name) == 0) return CharSetRegistry[i];
  }
  return nullptr;
}

TEST(TextCharSet, RegistryHoldsTheThreeSetsInConstructionOrder) {
  ASSERT_EQ(CharSetRegistry.Count(), 3);
  EXPECT_STREQ(CharSetRegistry[0]->Name(), "windows-1252");
  EXPECT_STREQ(CharSetRegistry[1]->Name(), "iso-8859-1");
  EXPECT_STREQ(CharSetRegistry[2]->Name(), "iso-8859-15");
  EXPECT_EQ(CurrentCharSet, CharSetRegistry[0]);
}

TEST(TextCharSet, CaseTables) {
  struct Case {
    const char* set;
    bool lower;
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"windows-1252", true,
       "\x8A\x9F\xC9\xD7\xDF"
       "AZ",
       "\x9A\xFF\xE9\xD7\xDF"
       "az"},
      {"windows-1252", false,
       "\x9A\xFF\xE9\xF7\xDF"
       "az",
       "\x8A\x9F\xC9\xF7\xDF"
       "AZ"},
      {"windows-1252", true, "\x8C\x8E\xDE\xC0", "\x9C\x9E\xFE\xE0"},
      {"iso-8859-1", false, "\xFF\xE0\xFE", "\xFF\xC0\xDE"},
      {"iso-8859-1", true, "\x8A\x9F", "\x8A\x9F"},
      {"iso-8859-15", false, "\xFF\xA8\xB8\xBD", "\xBE\xA6\xB4\xBC"},
      {"iso-8859-15", true, "\xBE\xA6\xB4\xBC", "\xFF\xA8\xB8\xBD"},
      {"iso-8859-15", true, "\xAA\xB5\xBA\xDF", "\xAA\xB5\xBA\xDF"},
  };
  for (const Case& c : cases) {
    const CharSet* set = SetNamed(c.set);
    ASSERT_NE(set, nullptr);
    char buffer[16] = {};
    std::strcpy(buffer, c.in);
    const int n = static_cast<int>(std::strlen(buffer));
    if (c.lower) {
      set->ToLower(buffer, n);
    } else {
      set->ToUpper(buffer, n);
    }
    EXPECT_STREQ(buffer, c.out) << c.set << (c.lower ? " lower " : " upper ") << c.in;
  }
}

TEST(TextCharSet, DecodeTables) {
  struct Case {
    const char* set;
    unsigned char byte;
    char16_t unit;
  };
  const Case cases[] = {
      {"windows-1252", 0x80, 0x20AC}, {"windows-1252", 0x81, 0x0081},
      {"windows-1252", 0x8D, 0x008D}, {"windows-1252", 0x8F, 0x008F},
      {"windows-1252", 0x90, 0x0090}, {"windows-1252", 0x9D, 0x009D},
      {"windows-1252", 0x9F, 0x0178}, {"windows-1252", 0xA4, 0x00A4},
      {"windows-1252", 0x92, 0x2019}, {"windows-1252", 0x41, 0x0041},
      {"windows-1252", 0xFF, 0x00FF}, {"iso-8859-1", 0x80, 0x0080},
      {"iso-8859-15", 0xA4, 0x20AC},  {"iso-8859-15", 0xBE, 0x0178},
      {"iso-8859-15", 0xA5, 0x00A5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetNamed(c.set)->Decode(c.byte), c.unit) << c.set << " " << int(c.byte);
  }
}

TEST(TextCharSet, MakeLowerGivesTheChangedStringItsOwnBuffer) {
  String ogg("OGG");
  String copy(ogg);
  ogg.MakeLower();
  EXPECT_TRUE(ogg.Equals("ogg"));
  EXPECT_TRUE(copy.Equals("OGG"));
  EXPECT_EQ(copy.ReferenceCount(), 1);
  String empty;
  empty.MakeLower();
  EXPECT_TRUE(empty.UsesSharedEmptyBuffer());
}

}  // namespace
