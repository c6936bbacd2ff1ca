#include <gtest/gtest.h>

#include "app/LocalizedStrings.h"
#include "app/TextFormat.h"
#include "app/UiLanguage.h"

namespace QrApp {
namespace {

std::wstring english(uint16_t id) {
  return loadLocalizedString(id, kLanguageEnglish, 1000);
}
std::wstring german(uint16_t id) {
  return loadLocalizedString(id, kLanguageGerman, 1000);
}

TEST(LocalizedStringsTest, EveryIdHasBothLanguagesAndNothingElse) {
  for (uint16_t id = 103; id <= 185; ++id) {
    EXPECT_FALSE(english(id).empty()) << id;
    EXPECT_FALSE(german(id).empty()) << id;
    EXPECT_TRUE(loadLocalizedString(id, 1036).empty()) << id;  // French: no text
  }
  EXPECT_TRUE(english(102).empty());
  EXPECT_TRUE(german(186).empty());
}

TEST(LocalizedStringsTest, TextsKeepTheirExactCharacters) {
  EXPECT_EQ(english(kStrCaption), L"Update Firmware");
  EXPECT_EQ(german(kStrCaption), L"Firmware \u00fcbertragen");
  EXPECT_EQ(english(kStrSendingMessageFile), L"Sending message file...");
  EXPECT_EQ(english(kStrSendingKeyboardLayout), L"Sending keyboard layout\u2026");
  EXPECT_EQ(english(kStrUpdateFailed),
            L"Error during sending firmware data. File transfer aborted. ");
  EXPECT_EQ(english(kStrNoSpaceForBrailleTable).back(), L' ');
  EXPECT_EQ(english(kStrAtCom), L"at COM%d");
  EXPECT_EQ(english(kStrRetryQuestion),
            L"Error while sending. Please check, if the target device is showing an error "
            L"message. If so, press ESC till no error message is shown. Do you want to start "
            L"sending again?");
}

TEST(LocalizedStringsTest, ReadingIntoABufferCutsToItsLength) {
  EXPECT_EQ(loadLocalizedString(kStrCaption, kLanguageEnglish, 7), L"Update");
  EXPECT_EQ(loadLocalizedString(kStrCaption, kLanguageEnglish, 1), L"");
  EXPECT_EQ(loadLocalizedString(kStrCaption, kLanguageEnglish, 0), L"");
}

TEST(LocalizedStringsTest, EveryTextFitsTheBufferItIsReadWith) {
  const auto fits = [](uint16_t id, std::size_t length) {
    return english(id).size() < length && german(id).size() < length;
  };
  for (uint16_t id = 133; id <= 145; ++id) EXPECT_TRUE(fits(id, kStatusLength)) << id;
  for (uint16_t id : {152, 153, 167, 169, 170, 174, 183}) {
    EXPECT_TRUE(fits(id, kStatusLength)) << id;
  }
  EXPECT_TRUE(fits(kStrCaption, kCaptionLength));
  EXPECT_TRUE(fits(kStrNoDevice, kCaptionLength));
  EXPECT_TRUE(fits(kStrUpdateComplete, kResultMessageLength));
  EXPECT_TRUE(fits(kStrUpdateFailed, kResultMessageLength));
  EXPECT_TRUE(fits(kStrRetryQuestion, kRetryQuestionLength));
  for (uint16_t id = 103; id <= 185; ++id) EXPECT_TRUE(fits(id, kRetryQuestionLength)) << id;
  for (uint16_t id : {104, 129, 149, 175, 176, 185}) EXPECT_TRUE(fits(id, kMessageLength)) << id;
}

TEST(LocalizedStringsTest, GermanForEveryGermanSystemLanguage) {
  for (uint16_t id : {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407, 0x0007}) {
    EXPECT_EQ(languageForSystemLanguageId(id), kLanguageGerman) << id;
  }
  for (uint16_t id : {0x0409, 0x0809, 0x040C, 0x0410, 0x0000, 0x0417}) {
    EXPECT_EQ(languageForSystemLanguageId(id), kLanguageEnglish) << id;
  }
}

TEST(TextFormatTest, PlaceholdersTakeTheArgumentsInOrder) {
  EXPECT_EQ(formatText(L"%s (%s) %s", {L"Corlet", L"COR1", L"at COM3"}), L"Corlet (COR1) at COM3");
  EXPECT_EQ(formatText(L"at COM%d", {L"12"}), L"at COM12");
  EXPECT_EQ(formatText(L"100%% %s", {L"done"}), L"100% done");
  // Missing arguments print nothing, surplus ones are ignored, arguments are never formats.
  EXPECT_EQ(formatText(L"%s and %s", {L"one"}), L"one and ");
  EXPECT_EQ(formatText(L"no placeholder", {L"serial"}), L"no placeholder");
  EXPECT_EQ(formatText(L"[%s]", {L"%s%d%%"}), L"[%s%d%%]");
  EXPECT_EQ(formatText(L"50%", {}), L"50%");
}

}  // namespace
}  // namespace QrApp
