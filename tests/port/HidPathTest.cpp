#include <gtest/gtest.h>

#include "qrcom/port/HidPath.h"

namespace QrCom {
namespace {

const wchar_t kVantraPrefix[] = L"\\\\?\\hid#vid_4c7a&pid_0054";
const wchar_t kSuffix[] = L"#7&2b1f3a5&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

std::wstring path(const std::wstring& middle) {
  return kVantraPrefix + middle + kSuffix;
}

TEST(HidPathTest, OnlyTheFirstInterfaceOfACompositeDevice) {
  EXPECT_FALSE(parseHidPath(path(L"&mi_01")).has_value());
  EXPECT_EQ(parseHidPath(path(L"&mi_00")), 0x54);
  EXPECT_EQ(parseHidPath(path(L"")), 0x54);
}

TEST(HidPathTest, OnlyTheMakersVendorIdInLowerCase) {
  EXPECT_FALSE(parseHidPath(L"\\\\?\\hid#vid_046d&pid_0054#1").has_value());
  EXPECT_FALSE(parseHidPath(L"\\\\?\\HID#VID_4C7A&PID_0054#1").has_value());
  EXPECT_FALSE(parseHidPath(L"").has_value());
}

TEST(HidPathTest, ProductIdIsTheHexNumberOfTheNextFourCharacters) {
  EXPECT_EQ(parseHidPath(L"hid#vid_4c7a&pid_0074#x"), 116);
  EXPECT_EQ(parseHidPath(L"hid#vid_4c7a&pid_0090"), 144);
  EXPECT_EQ(parseHidPath(L"hid#vid_4c7a&pid_00AB"), 0xAB);
  EXPECT_EQ(parseHidPath(L"hid#vid_4c7a&pid_1234567"), 0x1234);
  // Reading stops at the first character that is not a hex digit.
  EXPECT_EQ(parseHidPath(L"hid#vid_4c7a&pid_54#x"), 0x54);
  EXPECT_FALSE(parseHidPath(L"hid#vid_4c7a&pid_#54").has_value());
}

TEST(HidPathTest, DisplayProducts) {
  for (int id : {3,   5,   50,  51,  54,  56,  58,  68,  84,  85,  97,  100, 114, 116,
                 120, 129, 130, 131, 132, 134, 135, 138, 139, 140, 144, 147, 148}) {
    EXPECT_TRUE(isDisplayProduct(id)) << id;
  }
  for (int id : {0, 1, 4, 53, 128, 133, 136, 137, 0x154}) EXPECT_FALSE(isDisplayProduct(id)) << id;
}

TEST(HidPathTest, BridgeProducts) {
  for (int id : {3, 5, 50, 54, 56, 58, 68, 114, 116, 120, 144}) {
    EXPECT_TRUE(isBridgeProduct(id)) << id;
  }
  for (int id : {51, 84, 85, 97, 100, 129, 130, 131, 132, 134, 135, 138, 139, 140, 147, 148, 4}) {
    EXPECT_FALSE(isBridgeProduct(id)) << id;
  }
}

}  // namespace
}  // namespace QrCom
