// The texts: their lookup, the buffers they are read with, and the texts built from them.
#include <gtest/gtest.h>

#include "app/LocalizedStrings.h"
#include "app/TextFormat.h"
#include "app/UiLanguage.h"

namespace QrApp {
namespace {

TEST(LocalizedStringsTest, OneTextPerLanguageCutToTheBuffer) {
  EXPECT_EQ(loadLocalizedString(kStrCaption, 0x0807), L"");  // only the exact language counts
  EXPECT_EQ(loadLocalizedString(186, kLanguageGerman), L"");
  EXPECT_EQ(loadLocalizedString(kStrCaption, kLanguageEnglish, 15), L"Update Firmwar");
}

TEST(TextFormatTest, PlaceholdersTakeTheArgumentsInOrder) {
  EXPECT_EQ(formatText(L"%s (%s) at COM%d", {L"Corlet", L"COR1", L"3"}), L"Corlet (COR1) at COM3");
  EXPECT_EQ(formatText(L"100%% %s", {L"done"}), L"100% done");
  // Missing arguments print nothing, surplus ones are ignored, arguments are never formats.
  EXPECT_EQ(formatText(L"%s and %s", {L"one"}), L"one and ");
  EXPECT_EQ(formatText(L"[%s]", {L"%s%d%%"}), L"[%s%d%%]");
  EXPECT_EQ(formatText(L"50%", {}), L"50%");
}

}  // namespace
}  // namespace QrApp
