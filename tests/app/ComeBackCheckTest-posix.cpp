#include "app/posix/ComeBackCheck.h"

#include <gtest/gtest.h>

#include "app/LocalizedStrings.h"
#include "emulator/Catalog.h"
#include "emulator/EmulatedComPorts.h"
#include "qrcom/device/DeviceList.h"
#include "tests/support/VirtualClock.h"

namespace QrApp {
namespace {

std::unique_ptr<QrEmu::Display> vantra(const std::string& serial, uint8_t minor) {
  QrEmu::DisplayIdentity identity;
  identity.serialNumber = serial;
  identity.firmwareMinor = minor;
  return QrEmu::makeDisplay(84, 0x0103, identity);
}

// After the update the display must answer again, with the serial number it had, within the
// bound: what it runs then is reported beside what it ran before.
TEST(ComeBackCheckTest, TheDisplayMustAnswerAgainWithItsSerialNumber) {
  QrTest::ScopedVirtualClock clock;
  QrEmu::EmulatedComPorts ports(&*clock);
  const auto before = vantra("VAN-22-00417", 30);
  const auto after = vantra("VAN-22-00417", 40);
  const auto stranger = vantra("VAN-22-00999", 40);
  ports.attach(1, *before);
  QrCom::DeviceList devices;
  devices.search({{QrCom::SearchRequest::kComPorts}, {1}, {11 /* firmware upload */}});
  ASSERT_EQ(devices.count(), 1u);
  ComeBackCheck check(kLanguageEnglish);
  check.before(devices.at(0));

  ports.attach(1, *after);
  std::wstring report;
  EXPECT_TRUE(check.after(devices.at(0), report));
  EXPECT_EQ(
      report,
      L"The display answers again and runs firmware 3.40_normal_mode (before: 3.30_normal_mode).");
  EXPECT_EQ(check.firmwareAfter(), L"3.40_normal_mode");
  ports.attach(1, *stranger);
  EXPECT_FALSE(check.after(devices.at(0), report));
  EXPECT_EQ(report, L"Another display answers there now: serial number VAN-22-00999.");
  EXPECT_EQ(check.firmwareAfter(), L"");
  stranger->unplug();
  const uint64_t start = clock->now();
  EXPECT_FALSE(check.after(devices.at(0), report));
  EXPECT_EQ(report, L"The display did not answer again within 60 seconds.");
  EXPECT_GE(clock->now() - start, ComeBackCheck::kBoundMs);
}

}  // namespace
}  // namespace QrApp
