#include <gtest/gtest.h>
#include <windows.h>

#include <string>

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

// The caption of the dialog template `id` the program takes for `language`: an extended
// template's fixed header, then its menu and its class, each a string or 0xFFFF and a number.
std::wstring caption(uint16_t id, uint16_t language) {
  const auto* words = reinterpret_cast<const WORD*>(loadLocalizedDialog(id, language));
  if (words == nullptr) return L"(none)";
  words += 13;
  for (int field = 0; field < 2; ++field) {
    if (*words == 0xFFFF) {
      words += 2;
    } else {
      while (*words++ != 0) {
      }
    }
  }
  return reinterpret_cast<const wchar_t*>(words);
}

TEST(LocalizedDialogTest, SubLanguagesTakeTheirPrimaryLanguageAndOtherLanguagesEnglish) {
  for (uint16_t language : {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407, 0x0007}) {
    EXPECT_EQ(caption(QR_IDD_UPLOAD_PROCESS, language), L"Firmware \u00fcbertragen") << language;
  }
  for (uint16_t language : {0x0409, 0x0809, 0x0C09, 0x040C, 0x0411}) {
    EXPECT_EQ(caption(QR_IDD_UPLOAD_PROCESS, language), L"Update Firmware") << language;
  }
  EXPECT_EQ(caption(QR_IDD_DEVICE_SELECTION, 0x0807), L"Quorlin Ger\u00e4t ausw\u00e4hlen");
  EXPECT_EQ(caption(QR_IDD_DEVICE_SELECTION, 0x040C), L"Select Quorlin device");
  EXPECT_EQ(loadLocalizedDialog(132, kLanguageEnglish), nullptr);
  EXPECT_EQ(loadLocalizedDialog(QR_IDI_PROGRAM, kLanguageGerman), nullptr);
}

}  // namespace
}  // namespace QrApp
