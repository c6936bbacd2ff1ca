#include "qrcom/port/HidEnumeration.h"

#include <gtest/gtest.h>

#include "qrcom/port/HidReportDescriptor.h"
#include "tests/support/ScriptedHid.h"

namespace QrCom {
namespace {

using QrTest::hex;

TEST(HidEnumerationTest, ListsTheDisplaysThatPassThePathRuleInSystemOrder) {
  QrTest::ScriptedHidBus bus;
  bus.scriptListings({{
      L"\\\\?\\hid#vid_4c7a&pid_0074#1#{guid}",
      L"\\\\?\\hid#vid_4c7a&pid_0054&mi_01#2#{guid}",  // second interface
      L"\\\\?\\hid#vid_046d&pid_c52b#3#{guid}",        // another maker
      L"\\\\?\\hid#vid_4c7a&pid_0002#4#{guid}",        // not a display
      L"\\\\?\\hid#vid_4c7a&pid_0054&mi_00#5#{guid}",
  }});
  HidInterfaceList list = {{1, L"stale"}};
  enumerateHidInterfaces(list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].productId, 116);
  EXPECT_EQ(list[0].path, L"\\\\?\\hid#vid_4c7a&pid_0074#1#{guid}");
  EXPECT_EQ(list[1].productId, 84);
  EXPECT_EQ(list[1].path, L"\\\\?\\hid#vid_4c7a&pid_0054&mi_00#5#{guid}");
}

std::optional<HidCapabilities> lengthsOf(const std::string& descriptor) {
  const auto bytes = hex(descriptor);
  return reportLengths(bytes.data(), bytes.size());
}

// A display's interface: input report 1 and output reports 2, FB and FD.
const char kDisplayDescriptor[] =
    "06 00 FF 09 01 A1 01 "
    "85 01 75 08 95 3F 09 01 81 02 "
    "85 02 75 08 95 3F 09 01 91 02 "
    "85 FB 75 08 95 01 09 01 91 02 "
    "85 FD 75 08 95 04 09 01 91 02 C0";

TEST(HidReportDescriptorTest, LongestReportOfEachKindPlusItsIdByte) {
  const auto lengths = lengthsOf(kDisplayDescriptor);
  ASSERT_TRUE(lengths.has_value());
  EXPECT_EQ(lengths->inputReportLength, 64u);
  EXPECT_EQ(lengths->outputReportLength, 64u);
}

TEST(HidReportDescriptorTest, UnnumberedReportsStillCountTheIdByte) {
  const auto lengths = lengthsOf("06 00 FF 09 01 A1 01 75 08 96 40 00 81 02 75 01 95 0C 91 02 C0");
  ASSERT_TRUE(lengths.has_value());
  EXPECT_EQ(lengths->inputReportLength, 65u);
  EXPECT_EQ(lengths->outputReportLength, 3u);  // 12 bits round up to two bytes
}

TEST(HidReportDescriptorTest, PushPopAndLongItemsAreFollowed) {
  // Push, a 16-bit field, Pop back to 8-bit fields; a long item in between is skipped.
  const auto lengths = lengthsOf(
      "85 01 75 08 95 02 A4 75 10 95 01 81 02 B4 "
      "FE 02 00 AA BB "
      "81 02");
  ASSERT_TRUE(lengths.has_value());
  EXPECT_EQ(lengths->inputReportLength, 5u);  // 16 + 16 bits and the id
  EXPECT_EQ(lengths->outputReportLength, 0u);
}

TEST(HidReportDescriptorTest, CutOrEmptyDescriptorsGiveNothing) {
  EXPECT_FALSE(lengthsOf("85 01 75 08 96 40").has_value());
  EXPECT_FALSE(lengthsOf("06 00 FF 09 01 A1 01 C0").has_value());
  EXPECT_FALSE(lengthsOf("").has_value());
}

}  // namespace
}  // namespace QrCom
