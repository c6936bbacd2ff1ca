#include <gtest/gtest.h>

#include "app/LocalizedStrings.h"

namespace QrApp {
namespace {

// The texts as the program's string table resources hold them: blocks of 16 counted texts per
// language.
std::wstring resourceText(uint16_t id, std::size_t length = 1000) {
  return loadLocalizedString(id, kLanguageEnglish, length);
}

TEST(LocalizedResourcesTest, EntriesAreFoundAcrossBlockBoundaries) {
  // Block 7 holds ids 96-111, block 8 ids 112-127, block 12 ids 176-191.
  EXPECT_EQ(resourceText(kStrPossessiveUnknown), L"Quorlin device");
  EXPECT_EQ(resourceText(kStrPossessiveRaveloNova64), L"Ravelo Nova 64");
  EXPECT_EQ(resourceText(kStrPossessiveRaveloNova88), L"Ravelo Nova 88");
  EXPECT_EQ(resourceText(kStrWrongModel).substr(0, 14), L"This firmware ");
  EXPECT_EQ(resourceText(kStrDeactivateEmulation).substr(0, 17), L"Please deactivate");
  EXPECT_EQ(resourceText(kStrFundoTooOld),
            L"The Fundo requires a firmware version 3.3 or higher for the update.");
}

TEST(LocalizedResourcesTest, MissingIdsAreEmpty) {
  EXPECT_EQ(resourceText(96), L"");   // first entry of a block that exists
  EXPECT_EQ(resourceText(102), L"");  // just before the first text
  EXPECT_EQ(resourceText(186), L"");  // after the last text, same block
  EXPECT_EQ(resourceText(191), L"");  // last entry of that block
  EXPECT_EQ(resourceText(0), L"");    // blocks that do not exist
  EXPECT_EQ(resourceText(4000), L"");
  EXPECT_EQ(resourceText(65535), L"");
}

TEST(LocalizedResourcesTest, OnlyTheExactLanguageCounts) {
  EXPECT_EQ(loadLocalizedString(kStrCaption, kLanguageGerman), L"Firmware \u00fcbertragen");
  // The system's own lookup would answer these with another language's text.
  EXPECT_EQ(loadLocalizedString(kStrCaption, 0x0000), L"");  // neutral
  EXPECT_EQ(loadLocalizedString(kStrCaption, 0x0007), L"");  // German, no sub-language
  EXPECT_EQ(loadLocalizedString(kStrCaption, 0x0807), L"");  // Swiss German
  EXPECT_EQ(loadLocalizedString(kStrCaption, 0x0809), L"");  // British English
}

TEST(LocalizedResourcesTest, ShortBuffersCutTheText) {
  EXPECT_EQ(resourceText(kStrCaption, 0), L"");
  EXPECT_EQ(resourceText(kStrCaption, 1), L"");
  EXPECT_EQ(resourceText(kStrCaption, 2), L"U");
  EXPECT_EQ(resourceText(kStrCaption, 15), L"Update Firmwar");
  EXPECT_EQ(resourceText(kStrCaption, 16), L"Update Firmware");
  EXPECT_EQ(resourceText(kStrCaption, 17), L"Update Firmware");
  EXPECT_EQ(loadLocalizedString(kStrCaption, kLanguageGerman, 11), L"Firmware \u00fc");
  EXPECT_EQ(loadLocalizedString(kStrSendingHelpFile, kLanguageEnglish, 19),
            L"Sending help file\u2026");
  EXPECT_EQ(loadLocalizedString(kStrSendingHelpFile, kLanguageEnglish, 18), L"Sending help file");
  EXPECT_EQ(resourceText(kStrUpdateFailed, kResultMessageLength).back(), L' ');
}

}  // namespace
}  // namespace QrApp
