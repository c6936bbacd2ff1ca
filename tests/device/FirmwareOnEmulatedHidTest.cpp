#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "emulator/Catalog.h"
#include "emulator/hid/EmulatedHidBus.h"
#include "emulator/modules/BluetoothModule.h"
#include "emulator/modules/FileTransfer.h"
#include "emulator/modules/IapLoader.h"
#include "emulator/modules/SecondaryProcessors.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/ProgressSinks.h"
#include "tests/support/HexText.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualClock.h"

// A current display's whole firmware set through the library's device, its HidPort and the
// emulated USB-HID bus: main firmware by in-application programming (the display re-enumerates
// at every restart), the Braille processor and USB controller from files copied to the display,
// and the Bluetooth module.
namespace QrCom {
namespace {

using QrTest::hexRecords;
using QrTest::hexText;

class UploadProgress : public FirmwareUploadProgressSink,
                       public SecondaryFirmwareUploadProgressSink {
 public:
  void onProgress(QuorlinDevice*, const std::wstring&, uint32_t, uint32_t, uint64_t totalBytes,
                  uint64_t, uint64_t doneBytes, uint64_t) override {
    total = totalBytes;
    done.push_back(doneBytes);
  }
  void onStage(QuorlinDevice*, uint32_t stage) override { stages.push_back(stage); }
  void onSecondaryProgress(QuorlinDevice*, int, const std::wstring&, uint32_t percent) override {
    percents.push_back(percent);
  }

  std::vector<uint32_t> stages;
  std::vector<uint64_t> done;
  uint64_t total = 0;
  std::vector<uint32_t> percents;
};

class FirmwareOnEmulatedHidTest : public ::testing::Test {
 protected:
  FirmwareOnEmulatedHidTest() { bus.attach(*display); }

  std::unique_ptr<QuorlinDevice> device() {
    return std::make_unique<QuorlinDevice>(bus.pathOf(*display));
  }
  template <typename M>
  M& module() {
    return *display->find<M>();
  }

  QrTest::ScopedVirtualClock clock;
  std::unique_ptr<QrEmu::Display> display = QrEmu::makeDisplay(84, 0x0103);
  QrEmu::EmulatedHidBus bus{&*clock};
  QrTest::TempDir folder;
};

TEST_F(FirmwareOnEmulatedHidTest, ACurrentDisplayTakesItsWholeFirmwareSet) {
  const auto main = hexRecords(40, 0x11);
  const auto bluetooth = hexRecords(12, 0x5A);
  const std::string braille = hexText(hexRecords(20, 0x33));
  const std::string usb(3000, '\xA5');
  auto vantra = device();
  const std::wstring firstPath = bus.pathOf(*display);

  UploadProgress mainProgress;
  vantra->loadFirmware(folder.write(L"MAIN.HEX", hexText(main)), &mainProgress);
  {
    auto guard = display->lock();
    EXPECT_EQ(module<QrEmu::IapLoader>().flashed(), main);
    EXPECT_TRUE(module<QrEmu::IapLoader>().flashLocked());
    EXPECT_EQ(module<QrEmu::IapLoader>().restarts(), 3u);
    EXPECT_EQ(display->mode(), QrEmu::Mode::Normal);
  }
  EXPECT_NE(bus.pathOf(*display), firstPath);
  EXPECT_EQ(mainProgress.stages.front(), kStageSwitchingToEprom);
  EXPECT_EQ(mainProgress.stages.back(), kStageSwitchingToFlash);
  EXPECT_EQ(mainProgress.done.size(), main.size() + 2);
  EXPECT_EQ(mainProgress.done.back(), mainProgress.total);

  // The device goes on under the display's new path.
  vantra->updateDeviceProperties();
  UploadProgress brailleProgress;
  vantra->loadBrailleFirmware(folder.write(L"8051.hex", braille), &brailleProgress);
  UploadProgress usbProgress;
  vantra->loadUsbFirmware(folder.write(L"vnc2.rom", usb), &usbProgress);
  UploadProgress bluetoothProgress;
  vantra->loadBtFirmware(folder.write(L"BT.HEX", hexText(bluetooth)), &bluetoothProgress);

  auto guard = display->lock();
  EXPECT_EQ(module<QrEmu::SecondaryProcessors>().brailleProcessor(),
            QrEmu::Bytes(braille.begin(), braille.end()));
  EXPECT_EQ(module<QrEmu::SecondaryProcessors>().usbController(),
            QrEmu::Bytes(usb.begin(), usb.end()));
  EXPECT_EQ(module<QrEmu::BluetoothModule>().firmware(), bluetooth);
  // The images were taken off the display again.
  EXPECT_EQ(module<QrEmu::FileTransfer>().files().find("8051.hex"), nullptr);
  EXPECT_EQ(module<QrEmu::FileTransfer>().files().find("vnc2.rom"), nullptr);
  // The copy fills the first half of the scale, the display's own steps the second.
  for (const auto* progress : {&brailleProgress, &usbProgress}) {
    ASSERT_GE(progress->percents.size(), 5u);
    EXPECT_EQ(progress->percents.back(), 100u);
    EXPECT_EQ(std::vector<uint32_t>(progress->percents.end() - 5, progress->percents.end()),
              (std::vector<uint32_t>{60, 70, 80, 90, 100}));
  }
  EXPECT_EQ(bluetoothProgress.done.size(), bluetooth.size() + 2);
}

}  // namespace
}  // namespace QrCom
