#include "emulator/EmulatedComPorts.h"

#include <gtest/gtest.h>

#include "emulator/Catalog.h"
#include "qrcom/base/QrException.h"
#include "tests/support/Failures.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

TEST(EmulatedComPortsTest, OpenComPortReachesTheAttachedDisplays) {
  QrTest::ScopedVirtualClock clock;
  auto display = makeDisplay(0x22, 0x0102);
  auto busy = makeDisplay(0x54, 0x0103);
  busy->setBusy(true);
  {
    EmulatedComPorts ports(&*clock);
    ports.attach(3, *display, QrCom::PortType::UsbSerialAdapter);
    ports.attach(4, *busy);

    auto port = QrCom::openComPort(3);
    EXPECT_EQ(port->getPortType(), QrCom::PortType::UsbSerialAdapter);
    port->writeByte(0xFF);
    EXPECT_EQ(port->readByte(), 0xFE);
    EXPECT_EQ(port->readByte(), 0x22);

    EXPECT_THROW(QrCom::openComPort(4), QrCom::UnableToOpenPortException);
    EXPECT_EQ(QrTest::failure([] { QrCom::openComPort(9); }),
              "ErrorOnInitialization: EmulatedPort::setPortParameters --  Error while reading "
              "Settings for Port \"COM9\" ");
    EXPECT_EQ(ports.openings(3), 1u);
    EXPECT_EQ(ports.openings(4), 1u);
    EXPECT_EQ(ports.openings(5), 0u);
  }
  EXPECT_FALSE(QrCom::installComPortOpener(nullptr)) << "the system's ports are back";
}

}  // namespace
}  // namespace QrEmu
