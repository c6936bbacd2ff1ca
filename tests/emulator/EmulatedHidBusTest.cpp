#include <gtest/gtest.h>

#include "emulator/Catalog.h"
#include "emulator/hid/EmulatedHidBus.h"
#include "emulator/modules/IapLoader.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

// A display that restarts into its loader leaves the bus and comes back under a new path: a
// device opened before belongs to its past life.
TEST(EmulatedHidBusTest, ARestartLeavesTheBusAndReturnsUnderANewPath) {
  QrTest::ScopedVirtualClock clock;
  auto display = makeDisplay(84, 0x0103);
  EmulatedHidBus bus(&*clock);
  bus.attach(*display);
  const std::wstring before = bus.pathOf(*display);
  auto opened = bus.open(before);
  // Report 2 carrying the packet "restart into the loader".
  Bytes report = QrTest::hex("02 06 79 54 02 99 01 16");
  report.resize(64, 0);
  opened.device->writeReport(report.data(), 64);
  EXPECT_EQ(opened.device->writeReport(report.data(), 64), QrCom::HidDevice::WriteOutcome::Failed);
  EXPECT_TRUE(bus.interfacePaths().empty());
  EXPECT_EQ(display->mode(), Mode::Iap);

  clock->advance(IapLoader::kAwayMs);
  const std::wstring after = bus.pathOf(*display);
  EXPECT_NE(after, before);
  EXPECT_EQ(bus.interfacePaths(), std::vector<std::wstring>{after});
  EXPECT_EQ(bus.open(before).failure, QrCom::HidBus::OpenFailure::Other);
  EXPECT_TRUE(bus.open(after).device);
}

}  // namespace
}  // namespace QrEmu
