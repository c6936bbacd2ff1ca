// Which HID interfaces are displays' (the path rule, the product lists, the enumeration) and how
// long their reports are.
#include "qrcom/port/HidPath.h"

#include <gtest/gtest.h>

#include "qrcom/port/HidEnumeration.h"
#include "qrcom/port/HidReportDescriptor.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedHid.h"

namespace QrCom {
namespace {

TEST(HidPathTest, TheMakersFirstInterfaceAndTheProductIdOfUpToFourHexDigits) {
  const std::pair<const wchar_t*, int> paths[] = {
      {L"\\\\?\\hid#vid_4c7a&pid_0054#7&2b1f3a5&0&0000#{4d1e55b2}", 0x54},
      {L"\\\\?\\hid#vid_4c7a&pid_0054&mi_00#7&2b1f3a5&0&0000#{4d1e55b2}", 0x54},
      {L"\\\\?\\hid#vid_4c7a&pid_0054&mi_01#7&2b1f3a5&0&0000#{4d1e55b2}", -1},
      {L"\\\\?\\hid#vid_046d&pid_0054#1", -1},
      {L"\\\\?\\HID#VID_4C7A&PID_0054#1", -1},
      {L"", -1},
      {L"hid#vid_4c7a&pid_09Af", 0x9AF},
      {L"hid#vid_4c7a&pid_1234567", 0x1234},
      {L"hid#vid_4c7a&pid_54#x", 0x54},
      {L"hid#vid_4c7a&pid_#54", -1}};
  for (const auto& [path, productId] : paths) {
    EXPECT_EQ(parseHidPath(path).value_or(-1), productId) << QrTest::describe(path);
  }
}

TEST(HidPathTest, DisplayAndBridgeProducts) {
  for (int id : {129, 138}) EXPECT_TRUE(isDisplayProduct(id) && !isBridgeProduct(id)) << id;
  EXPECT_TRUE(isDisplayProduct(116) && isBridgeProduct(116));
  EXPECT_FALSE(isDisplayProduct(133) || isBridgeProduct(133));
}

TEST(HidEnumerationTest, ListsTheDisplaysThatPassThePathRuleInSystemOrder) {
  QrTest::ScriptedHidBus bus;
  bus.scriptListings({{L"\\\\?\\hid#vid_4c7a&pid_0074#1", L"\\\\?\\hid#vid_4c7a&pid_0054&mi_01#2",
                       L"\\\\?\\hid#vid_046d&pid_c52b#3", L"\\\\?\\hid#vid_4c7a&pid_0002#4",
                       L"\\\\?\\hid#vid_4c7a&pid_0054&mi_00#5"}});
  HidInterfaceList list = {{1, L"stale"}};
  enumerateHidInterfaces(list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].productId * 1000 + list[1].productId, 116084);
  EXPECT_EQ(list[0].path + list[1].path,
            L"\\\\?\\hid#vid_4c7a&pid_0074#1\\\\?\\hid#vid_4c7a&pid_0054&mi_00#5");
}

// The longest report of each kind plus its id byte (counted also without report ids).
TEST(HidReportDescriptorTest, ReportLengths) {
  const std::pair<const char*, std::optional<HidCapabilities>> descriptors[] = {
      // A display's: input report 1, output reports 2, FB and FD.
      {"06 00 FF 09 01 A1 01 85 01 75 08 95 3F 09 01 81 02 85 02 75 08 95 3F 09 01 91 02 "
       "85 FB 75 08 95 01 09 01 91 02 85 FD 75 08 95 04 09 01 91 02 C0",
       HidCapabilities{64, 64}},
      // No ids; 12 bits round up to two bytes.
      {"06 00 FF 09 01 A1 01 75 08 96 40 00 81 02 75 01 95 0C 91 02 C0", HidCapabilities{65, 3}},
      // Push, a 16-bit field, Pop back to 8-bit fields; a long item in between is skipped.
      {"85 01 75 08 95 02 A4 75 10 95 01 81 02 B4 FE 02 00 AA BB 81 02", HidCapabilities{5, 0}},
      {"85 01 75 08 96 40", std::nullopt},  // cut
      {"06 00 FF 09 01 A1 01 C0", std::nullopt},
      {"", std::nullopt}};
  for (const auto& [descriptor, expected] : descriptors) {
    const auto bytes = QrTest::hex(descriptor);
    const auto lengths = reportLengths(bytes.data(), bytes.size());
    ASSERT_EQ(lengths.has_value(), expected.has_value()) << descriptor;
    if (lengths) {
      EXPECT_EQ(lengths->inputReportLength, expected->inputReportLength) << descriptor;
      EXPECT_EQ(lengths->outputReportLength, expected->outputReportLength) << descriptor;
    }
  }
}

}  // namespace
}  // namespace QrCom
