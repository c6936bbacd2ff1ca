#include <gtest/gtest.h>
#include <windows.h>

#include "app/LocalizedStrings.h"
#include "app/UiLanguage.h"
#include "app/win/LocalizedDialog.h"
#include "resources/ResourceIds.h"

namespace QrApp {
namespace {

// The program's texts and dialogs as its resources hold them: texts in blocks of 16 counted texts
// per language, dialogs as templates per language.
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

TEST(LocalizedResourcesTest, DialogsOfSubLanguagesAreTheirPrimaryLanguagesOthersEnglish) {
  for (uint16_t dialog : {QR_IDD_UPLOAD_PROCESS, QR_IDD_DEVICE_SELECTION}) {
    const DLGTEMPLATE* german = loadLocalizedDialog(dialog, kLanguageGerman);
    const DLGTEMPLATE* english = loadLocalizedDialog(dialog, kLanguageEnglish);
    ASSERT_TRUE(german != nullptr && english != nullptr);
    EXPECT_NE(german, english);
    for (uint16_t language : {0x0807, 0x0C07, 0x1007, 0x1407, 0x0007}) {
      EXPECT_EQ(loadLocalizedDialog(dialog, language), german) << dialog << " " << language;
    }
    for (uint16_t language : {0x0809, 0x0C09, 0x040C, 0x0411}) {
      EXPECT_EQ(loadLocalizedDialog(dialog, language), english) << dialog << " " << language;
    }
  }
  EXPECT_EQ(loadLocalizedDialog(132, kLanguageEnglish), nullptr);
  EXPECT_EQ(loadLocalizedDialog(QR_IDI_PROGRAM, kLanguageGerman), nullptr);
}

}  // namespace
}  // namespace QrApp
