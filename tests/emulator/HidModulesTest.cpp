#include <gtest/gtest.h>

#include <string>

#include "emulator/Catalog.h"
#include "emulator/hid/EmulatedHidBus.h"
#include "emulator/modules/BluetoothModule.h"
#include "emulator/modules/FileTransfer.h"
#include "emulator/modules/IapLoader.h"
#include "emulator/modules/SecondaryProcessors.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

// The device side of the current displays' firmware updates: the emulated HID bus and its
// reports, the IAP loader, the secondary processors and the Bluetooth module.
namespace QrEmu {
namespace {

using QrTest::hex;

// An extended packet of model 84 with `type` and the characters of `text` as payload.
Bytes packet(uint8_t type, const std::string& text = "") {
  Bytes bytes{0x79, 0x54, static_cast<uint8_t>(text.size() + 1), type};
  for (char character : text) bytes.push_back(static_cast<uint8_t>(character));
  bytes.push_back(0x16);
  return bytes;
}

const Bytes kYes = hex("79 54 02 07 7E 16");
const Bytes kNo = hex("79 54 02 07 7F 16");

class HidModulesTest : public ::testing::Test {
 protected:
  // What the display answers to `bytes` at once.
  Bytes exchange(const Bytes& bytes) {
    display->receive(bytes);
    return display->takeDue();
  }
  template <typename M>
  M& module() {
    return *display->find<M>();
  }

  QrTest::ScopedVirtualClock clock;
  std::unique_ptr<Display> display = makeDisplay(84, 0x0103);
};

TEST_F(HidModulesTest, BytesTravelInNumberedReportsOfTheFullLength) {
  EmulatedHidBus bus(&*clock);
  bus.attach(*display, {6, 8});
  auto opened = bus.open(bus.pathOf(*display));
  ASSERT_TRUE(opened.device);
  // The identification request FF in a data report; FE 54 comes back in an input report.
  const Bytes request = hex("02 01 FF 00 00 00 00 00");
  EXPECT_EQ(opened.device->writeReport(request.data(), 8), QrCom::HidDevice::WriteOutcome::Written);
  uint8_t report[6];
  ASSERT_EQ(opened.device->readReport(report, 6), 6);
  EXPECT_EQ(Bytes(report, report + 6), hex("01 02 FE 54 00 00"));
  // An answer longer than a report is split: four payload bytes, then the rest.
  const Bytes version = hex("02 01 0C 00 00 00 00 00");
  opened.device->writeReport(version.data(), 8);
  ASSERT_EQ(opened.device->readReport(report, 6), 6);
  EXPECT_EQ(Bytes(report, report + 6), hex("01 04 06 0C 01 03"));
  ASSERT_EQ(opened.device->readReport(report, 6), 6);
  EXPECT_EQ(Bytes(report, report + 6), hex("01 01 16 00 00 00"));
}

TEST_F(HidModulesTest, ARestartLeavesTheBusAndReturnsUnderANewPath) {
  EmulatedHidBus bus(&*clock);
  bus.attach(*display);
  const std::wstring before = bus.pathOf(*display);
  EXPECT_EQ(bus.interfacePaths(), std::vector<std::wstring>{before});
  auto opened = bus.open(before);
  Bytes report = packet(0x99, std::string(1, '\x01'));
  report.insert(report.begin(), {0x02, static_cast<uint8_t>(report.size())});
  report.resize(64, 0);
  opened.device->writeReport(report.data(), 64);
  // The acknowledgement still arrives; then the device is gone.
  uint8_t input[64];
  ASSERT_EQ(opened.device->readReport(input, 64), 64);
  EXPECT_EQ(Bytes(input + 2, input + 8), kYes);
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

TEST_F(HidModulesTest, TheLoaderFlashesOnlyAnUnlockedErasedFlash) {
  display->setMode(Mode::Iap);
  EXPECT_EQ(exchange(packet(0x4B)), kNo);  // locked
  EXPECT_EQ(exchange(packet(0x4C)), kNo);  // not erased
  EXPECT_EQ(exchange(packet(0x4A, std::string(1, '\0'))), kYes);
  EXPECT_EQ(exchange(packet(0x4B)), kYes);
  EXPECT_EQ(exchange(packet(0x4C)), kYes);
  EXPECT_EQ(exchange(packet(0x4D, ":020000040800F2")), kYes);
  EXPECT_EQ(exchange(packet(0x4D, ":020000040800F3")), kNo);  // checksum
  EXPECT_EQ(exchange(packet(0x4D, ":00000001FF")), kYes);
  EXPECT_TRUE(module<IapLoader>().flashed().empty());
  EXPECT_EQ(exchange(packet(0x4E)), kYes);
  EXPECT_EQ(module<IapLoader>().flashed(),
            (std::vector<std::string>{":020000040800F2", ":00000001FF"}));
  EXPECT_EQ(exchange(packet(0x4A, std::string(1, '\x01'))), kYes);
  EXPECT_TRUE(module<IapLoader>().flashLocked());
}

TEST_F(HidModulesTest, LoaderKnobsRefuseCommandsAndRecords) {
  display->setMode(Mode::Iap);
  module<IapLoader>().refused = {0x4A};
  EXPECT_EQ(exchange(packet(0x4A, std::string(1, '\0'))), kNo);
  module<IapLoader>().refused.clear();
  module<IapLoader>().refuseRecordAt = 2;
  exchange(packet(0x4A, std::string(1, '\0')));
  exchange(packet(0x4B));
  exchange(packet(0x4C));
  EXPECT_EQ(exchange(packet(0x4D, ":00000001FF")), kYes);
  EXPECT_EQ(exchange(packet(0x4D, ":00000001FF")), kNo);
  // The loader's commands mean nothing to the running firmware.
  display->setMode(Mode::Normal);
  EXPECT_TRUE(exchange(packet(0x4B)).empty());
  module<IapLoader>().refused = {0x99};
  EXPECT_EQ(exchange(packet(0x99, std::string(1, '\x01'))), kNo);
  EXPECT_EQ(display->mode(), Mode::Normal);
}

TEST_F(HidModulesTest, AProcessorReprogramsItselfFromAFileWithProgressFrames) {
  module<FileTransfer>().files().store("8051.hex", {hex("3A 30 30"), 0, {}});
  EXPECT_EQ(exchange(packet(0x5A,
                            "\x01"
                            "8051.hex")),
            kYes);
  std::string frames;
  for (int step = 0; step < 5; ++step) {
    clock->advance(SecondaryProcessors::kStepMs);
    frames += toHex(display->takeDue()) + "|";
  }
  EXPECT_EQ(frames,
            "79 54 03 5B 00 14 16|79 54 03 5B 00 28 16|79 54 03 5B 00 3C 16|"
            "79 54 03 5B 00 50 16|79 54 03 5C 00 00 16|");
  EXPECT_EQ(module<SecondaryProcessors>().brailleProcessor(), hex("3A 30 30"));
  EXPECT_TRUE(module<SecondaryProcessors>().usbController().empty());
}

TEST_F(HidModulesTest, MissingAndEmptyFilesEndWithTheirCodes) {
  EXPECT_EQ(exchange(packet(0x5A,
                            "\x02"
                            "vnc2.rom")),
            kYes);
  clock->advance(SecondaryProcessors::kStepMs);
  EXPECT_EQ(display->takeDue(), hex("79 54 03 5C 00 02 16"));
  module<FileTransfer>().files().store("vnc2.rom", {});
  exchange(packet(0x5A,
                  "\x02"
                  "vnc2.rom"));
  clock->advance(SecondaryProcessors::kStepMs);
  EXPECT_EQ(display->takeDue(), hex("79 54 03 5C 00 01 16"));
  EXPECT_EQ(exchange(packet(0x5A,
                            "\x03"
                            "vnc2.rom")),
            kNo);
}

TEST_F(HidModulesTest, TheBluetoothModuleStoresTheRecordsOfAFinishedUpdate) {
  EXPECT_EQ(exchange(packet(0x6B, ":00000001FF")), kNo);  // no update begun
  EXPECT_EQ(exchange(packet(0x6A)), kYes);
  EXPECT_EQ(exchange(packet(0x6B, ":020000040800F2")), kYes);
  EXPECT_EQ(exchange(packet(0x6B, ":00000001FF")), kYes);
  EXPECT_TRUE(module<BluetoothModule>().firmware().empty());
  EXPECT_EQ(exchange(packet(0x6C)), kYes);
  EXPECT_EQ(module<BluetoothModule>().firmware(),
            (std::vector<std::string>{":020000040800F2", ":00000001FF"}));
  // An abandoned update is not answered and keeps the module's firmware.
  exchange(packet(0x6A));
  EXPECT_TRUE(exchange(packet(0x6D)).empty());
  EXPECT_EQ(exchange(packet(0x6C)), kNo);
  EXPECT_EQ(module<BluetoothModule>().firmware().size(), 2u);
}

}  // namespace
}  // namespace QrEmu
