// The dialog's language under French locales: the template's French captions
// for France (run with LC_ALL=fr_FR.UTF-8), English for Monaco (fr_MC.UTF-8).
#include <gtest/gtest.h>

#include "engine/message_table.h"
#include "tests/windows/app_dialog_harness.h"

namespace {

using namespace app_test;

TEST(FrenchDialog, KeepsTheTemplateCaptionsAndSpeaksFrench) {
  if (GetUserDefaultLangID() != 0x040C) GTEST_SKIP() << "needs LC_ALL=fr_FR.UTF-8";
  Restart();
  EXPECT_TRUE(frenchUi);
  EXPECT_EQ(TextOf(1020), L"R\u00E9cup\u00E8re des informations depuis le nom de fichier");
  EXPECT_EQ(TextOf(1015),
            L"R\u00E9cup\u00E9rer le num\u00E9ro de piste \u00E0 partir de l'ordre "
            L"dans la liste");
  EXPECT_EQ(TextOf(1007), L"Fixer l'ann\u00E9e (AAAA-MM-JJ)");
  EXPECT_EQ(TextOf(1017), L"Retag !");
  EXPECT_EQ(Segment(0, 0), u"D\u00E9posez ici les fichiers Ogg Vorbis \u00E0 retaguer");
  EXPECT_EQ(CurrentMessageTable, &FrenchMessages);
}

TEST(MonacoDialog, FrenchOfMonacoGetsEnglish) {
  if (GetUserDefaultLangID() != 0x180C) GTEST_SKIP() << "needs LC_ALL=fr_MC.UTF-8";
  Restart();
  EXPECT_FALSE(frenchUi);
  EXPECT_EQ(TextOf(1020), L"Get data from file name");
  EXPECT_EQ(CurrentMessageTable, &EnglishMessages);
}

}  // namespace
