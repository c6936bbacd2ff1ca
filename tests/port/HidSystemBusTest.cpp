// The system's own HID back end (Win32 HID class under Windows and Wine, hidraw on Linux) on a
// machine where no display is attached at the path used.
#include <gtest/gtest.h>

#include "qrcom/port/HidEnumeration.h"
#include "qrcom/port/HidPort.h"
#include "tests/support/Failures.h"

namespace QrCom {
namespace {

TEST(HidSystemBusTest, EnumerationListsOnlyDisplays) {
  HidInterfaceList list = {{84, L"stale"}};
  enumerateHidInterfaces(list);
  for (const HidInterface& entry : list) EXPECT_NE(entry.path, L"stale");
}

TEST(HidSystemBusTest, AnAbsentDeviceCannotBeOpened) {
  EXPECT_EQ(QrTest::failureOf([] {
              HidPort port(
                  L"\\\\?\\hid#vid_4c7a&pid_0054#9&absent&0&0000#{4d1e55b2-f16f-11cf-"
                  L"88cb-001111000030}");
            }),
            L"Can not open port");
  EXPECT_EQ(systemHidBus().open(L"\\\\?\\hid#vid_4c7a&pid_0054#nowhere").failure,
            HidBus::OpenFailure::Other);
}

}  // namespace
}  // namespace QrCom
