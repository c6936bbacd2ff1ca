#include "qrcom/port/HidPorts.h"

#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"
#include "tests/support/Failures.h"
#include "tests/support/ScopedHidLink.h"

namespace QrCom {
namespace {

TEST(HidPortsTest, OnlyTheDisplaysInterfacesAreEnumerated) {
  QrTest::ScopedHidLink link(
      [] {
        return std::vector<std::wstring>{
            L"\\\\?\\hid#vid_4c7a&pid_0054&mi_00#7&1&0000#{hid}",
            L"\\\\?\\hid#vid_4c7a&pid_0054&mi_01#7&1&0001#{hid}",  // a second interface
            L"\\\\?\\hid#vid_046d&pid_c077#7&2&0000#{hid}",        // another maker
            L"\\\\?\\hid#vid_4c7a&pid_0004#7&3&0000#{hid}",        // not a display
            L"\\\\?\\hid#vid_4c7a&pid_0090#7&4&0000#{hid}"};
      },
      nullptr);
  const std::vector<HidInterface> displays = enumerateHidInterfaces();
  ASSERT_EQ(displays.size(), 2u);
  EXPECT_EQ(displays[0].productId, 84);
  EXPECT_EQ(displays[0].path, L"\\\\?\\hid#vid_4c7a&pid_0054&mi_00#7&1&0000#{hid}");
  EXPECT_EQ(displays[1].productId, 144);
}

TEST(HidPortsTest, WithoutABackEndNothingIsThereAndNothingOpens) {
  EXPECT_TRUE(enumerateHidInterfaces().empty());
  EXPECT_THROW(openHidPort(L"\\\\?\\hid#vid_4c7a&pid_0054#1"), UnableToOpenPortException);
  EXPECT_EQ(QrTest::failureOf([] { openHidPort(L"\\\\?\\hid#vid_4c7a&pid_0054#1"); }),
            L"Can not open port");
}

}  // namespace
}  // namespace QrCom
