#include <gtest/gtest.h>

#include "app/DeviceDescription.h"
#include "app/LocalizedStrings.h"

namespace QrApp {
namespace {

DeviceLabel label(uint8_t model, std::optional<std::wstring> serial, std::wstring port) {
  return DeviceLabel{model, std::move(serial), std::move(port)};
}

TEST(DeviceDescriptionTest, DescriptionNamesModelSerialAndPort) {
  EXPECT_EQ(
      deviceDescription(label(116, L"SEL123", comPortText(3, kLanguageEnglish)), kLanguageEnglish),
      L"Selvar 40 (SEL123) at COM3");
  EXPECT_EQ(
      deviceDescription(label(116, L"SEL123", comPortText(3, kLanguageGerman)), kLanguageGerman),
      L"Selvar 40 (SEL123) an COM3");
  // Without the serial-number service: name and port only.
  EXPECT_EQ(deviceDescription(label(84, std::nullopt, usbHidPortText(kLanguageEnglish)),
                              kLanguageEnglish),
            L"Vantra at USB-HID");
  // An empty serial number is still a serial number.
  EXPECT_EQ(deviceDescription(label(5, L"", L"at COM1"), kLanguageEnglish), L"Undine () at COM1");
}

TEST(DeviceDescriptionTest, UnknownModelsAreUnknownInListsAndAQuorlinDeviceInQuestions) {
  // 85 (Linqo) has no name of its own in the string table.
  for (uint8_t model : {0, 85, 138, 255}) {
    EXPECT_EQ(deviceDescription(label(model, std::nullopt, L"at COM2"), kLanguageEnglish),
              L"Unknown at COM2");
    EXPECT_EQ(confirmationQuestion(label(model, std::nullopt, L""), kLanguageEnglish),
              L"Do you want to update Firmware Quorlin device?");
  }
  EXPECT_EQ(confirmationQuestion(label(85, std::nullopt, L""), kLanguageGerman),
            L"M\u00f6chten Sie die Firmware eines Quorlin Ger\u00e4ts aktualisieren?");
}

TEST(DeviceDescriptionTest, QuestionUsesThePossessiveNameWithTheSerialWhenKnown) {
  EXPECT_EQ(confirmationQuestion(label(114, L"COR77", L"at COM1"), kLanguageEnglish),
            L"Do you want to update the firmware of Corlet with serial number COR77?");
  EXPECT_EQ(confirmationQuestion(label(114, std::nullopt, L"at COM1"), kLanguageEnglish),
            L"Do you want to update Firmware Corlet?");
  EXPECT_EQ(confirmationQuestion(label(114, L"COR77", L"an COM1"), kLanguageGerman),
            L"M\u00f6chten Sie die Firmware der Corlet mit der Seriennummer COR77 aktualisieren?");
}

TEST(DeviceDescriptionTest, EnglishFormsDifferOnlyForTheKeyletAndUnknownModels) {
  EXPECT_EQ(deviceDescription(label(53, std::nullopt, L"at COM1"), kLanguageEnglish),
            L"Ravelo Nova Brailletastatur at COM1");
  EXPECT_EQ(confirmationQuestion(label(53, std::nullopt, L""), kLanguageEnglish),
            L"Do you want to update Firmware Ravelo Nova Keylet?");
  for (int model = 0; model < 256; ++model) {
    const auto id = static_cast<uint8_t>(model);
    const std::wstring possessive =
        loadLocalizedString(possessiveModelNameId(id), kLanguageEnglish);
    const std::wstring list = loadLocalizedString(listModelNameId(id), kLanguageEnglish);
    const bool differs = listModelNameId(id) == kStrListUnknown || model == 53;
    EXPECT_EQ(possessive != list, differs) << model;
    // German possessive forms carry an article.
    EXPECT_NE(loadLocalizedString(possessiveModelNameId(id), kLanguageGerman),
              loadLocalizedString(listModelNameId(id), kLanguageGerman))
        << model;
  }
}

}  // namespace
}  // namespace QrApp
