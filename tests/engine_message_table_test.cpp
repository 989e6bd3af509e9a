// The message tables: windows-1252 texts, and completion lines of equal width.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/message_table.h"

namespace {

TEST(EngineMessageTable, FrenchTextsAreWindows1252AndCompletionLinesAre56Wide) {
  EXPECT_EQ(std::strlen(EnglishMessages.AllDone), 56u);
  EXPECT_EQ(std::strlen(FrenchMessages.AllDone), 56u);
  EXPECT_STREQ(FrenchMessages.CannotOpenOutput, "Ouverture du fichier r\xE9sultat impossible.");
  EXPECT_STREQ(FrenchMessages.CannotRenameInput,
               "Impossible de renommer le fichier d'entr\xE9"
               "e.");
  // No UTF-8 slipped in: the accented letters are single bytes.
  EXPECT_EQ(std::strchr(FrenchMessages.SeparatorNotFound, '\xC3'), nullptr);
  EXPECT_EQ(std::strchr(FrenchMessages.FlacBlockPastEnd, '\xC3'), nullptr);
  CurrentMessageTable = nullptr;
  EXPECT_EQ(&CurrentMessages(), &EnglishMessages);
}

}  // namespace
