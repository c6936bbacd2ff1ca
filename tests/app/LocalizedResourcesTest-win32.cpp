#include <gtest/gtest.h>

#include "app/LocalizedStrings.h"

namespace QrApp {
namespace {

// The texts as the program's string table resources hold them: blocks of 16 counted texts per
// language.
TEST(LocalizedResourcesTest, TextsAreFoundInTheirBlockInExactlyTheirLanguageAndCutToTheBuffer) {
  // Block 7 holds ids 96-111, block 8 ids 112-127, block 12 ids 176-191.
  EXPECT_EQ(loadLocalizedString(kStrPossessiveRaveloNova64, kLanguageEnglish), L"Ravelo Nova 64");
  EXPECT_EQ(loadLocalizedString(kStrPossessiveRaveloNova88, kLanguageEnglish), L"Ravelo Nova 88");
  EXPECT_EQ(loadLocalizedString(kStrDeactivateEmulation, kLanguageEnglish).substr(0, 6), L"Please");
  EXPECT_EQ(loadLocalizedString(kStrFundoTooOld, kLanguageEnglish),
            L"The Fundo requires a firmware version 3.3 or higher for the update.");
  for (uint16_t id : {0, 96, 102, 186, 191, 4000, 65535}) {
    EXPECT_EQ(loadLocalizedString(id, kLanguageEnglish), L"") << id;
  }
  // The system's own lookup would answer these with another language's text.
  for (uint16_t language : {0x0000, 0x0007, 0x0807, 0x0809}) {
    EXPECT_EQ(loadLocalizedString(kStrCaption, language), L"") << language;
  }
  EXPECT_EQ(loadLocalizedString(kStrCaption, kLanguageGerman, 11), L"Firmware \u00fc");
  EXPECT_EQ(loadLocalizedString(kStrCaption, kLanguageEnglish, 16), L"Update Firmware");
  EXPECT_EQ(loadLocalizedString(kStrCaption, kLanguageEnglish, 15), L"Update Firmwar");
  EXPECT_EQ(loadLocalizedString(kStrCaption, kLanguageEnglish, 1), L"");
  EXPECT_EQ(loadLocalizedString(kStrCaption, kLanguageEnglish, 0), L"");
}

}  // namespace
}  // namespace QrApp
