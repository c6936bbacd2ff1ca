#include "qrcom/port/ComPorts.h"

#include <gtest/gtest.h>

#include "qrcom/base/QrException.h"
#include "tests/support/ScriptedHid.h"
#include "tests/support/ScriptedPort.h"

namespace QrCom {
namespace {

const std::wstring kPath = L"\\\\?\\hid#vid_4c7a&pid_0054#7&1&0000#{hid}";

TEST(HidPortOpenerTest, OpensAHidPortUnlessAnotherOpenerIsInstalled) {
  QrTest::ScopedVirtualClock clock;
  QrTest::ScriptedHidBus bus;
  bus.attach(kPath, std::make_shared<QrTest::ScriptedHid>(*clock));
  EXPECT_EQ(openHidPort(kPath)->getPortType(), PortType::UsbHid);
  EXPECT_THROW(openHidPort(L"\\\\?\\hid#vid_4c7a&pid_0054#7&2&0000#{hid}"),
               UnableToOpenPortException);

  installHidPortOpener(
      [](const std::wstring&) { return std::make_unique<QrTest::ScriptedPort>(); });
  EXPECT_EQ(openHidPort(kPath)->getPortType(), PortType::NativeSerial);
  installHidPortOpener(nullptr);
  EXPECT_EQ(openHidPort(kPath)->getPortType(), PortType::UsbHid);
  EXPECT_EQ(bus.opens(), 3);
}

}  // namespace
}  // namespace QrCom
