// The emulated boot loader of the older displays: its dialogue byte by byte, and whole uploads
// by the real strategy through the in-process port, with the flash compared to the files.
#include "emulator/modules/EpromBootLoader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <iterator>
#include <thread>

#include "emulator/Catalog.h"
#include "emulator/Display.h"
#include "emulator/EmulatedPort.h"
#include "emulator/modules/Identification.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/ModelTable.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "tests/support/BorrowedPort.h"
#include "tests/support/Failures.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/VirtualClock.h"

namespace QrEmu {
namespace {

using QrTest::hex;

const std::string kSamples = QR_TEST_DATA "/firmware/";

std::string sampleContent(const std::string& name) {
  std::ifstream in(kSamples + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using QrTest::ascii;
using QrTest::operator+;

class EpromBootLoaderTest : public ::testing::Test {
 protected:
  Bytes exchange(const Bytes& written) {
    display.receive(written);
    clock->advance(options.eraseMs);
    return display.takeDue();
  }

  // Uploads the set that begins with `first` (a sample's name) with the real strategy.
  void upload(const std::string& first, uint8_t model = 116, int cells = 40) {
    QrCom::EpromVersion11FirmwareUploadStrategy strategy(nullptr, model, cells);
    strategy.loadFirmware(port, QrCom::fromUtf8(kSamples + first), nullptr);
  }

  std::string difference(int bank, const std::string& file) {
    auto guard = display.lock();
    return loader.flash().differenceFrom(bank, sampleContent(file));
  }

  QrTest::ScopedVirtualClock clock;
  EpromBootLoader::Options options;
  Display display{116, 3};
  EpromBootLoader& loader = (display.add<Identification>(), display.add<EpromBootLoader>(options));
  EmulatedPort port{display, &*clock};
};

TEST_F(EpromBootLoaderTest, InfoModeCommandWordsAndAddressBits) {
  EXPECT_EQ(exchange({0xAE}), hex("4F"));
  EXPECT_EQ(exchange(ascii("INFO N")), ascii("INFOI") + ascii("EP-22-00417") + Bytes(29, 0));
  EXPECT_EQ(exchange({0xFF}), hex("FE 74")) << "the firmware still runs";
  EXPECT_EQ(exchange(hex("AE") + ascii("INFO 6")), ascii("OINFOI")) << "no bits yet";

  EXPECT_EQ(exchange({0xAE}), hex("4F"));
  for (char character : std::string("EPROMUmschaltung")) {
    EXPECT_EQ(exchange({static_cast<uint8_t>(character)}), Bytes{static_cast<uint8_t>(character)});
  }
  EXPECT_EQ(exchange(ascii(" ")), ascii("E"));
  EXPECT_EQ(display.mode(), Mode::BootLoader);
  EXPECT_EQ(exchange({0xFF}), hex("FE"));
  EXPECT_EQ(exchange(hex("AE") + ascii("INFO 5")), ascii("OINFOI5"));
  EXPECT_EQ(exchange(hex("AE") + ascii("INFO O")), ascii("OINFOIo"));
  EXPECT_EQ(exchange(hex("AE") + ascii("INFO 3")), ascii("OINFOI3"));
  EXPECT_EQ(exchange(hex("AE") + ascii("FLASHUmschaltung ")), ascii("OFLASHUmschaltungF"));
  EXPECT_EQ(display.mode(), Mode::Normal);
}

TEST_F(EpromBootLoaderTest, RecordsGoIntoTheSelectedBankUpToTheEndRecord) {
  display.setMode(Mode::BootLoader);
  exchange(hex("AE") + ascii("INFO 5"));  // bank 4
  EXPECT_EQ(exchange(hex("AD")), hex("4F"));
  EXPECT_EQ(exchange(ascii(":04001000E4F5902261")), hex("4F"));
  EXPECT_EQ(exchange(ascii(":04001000E4F5902262")), hex("00")) << "checksum";
  EXPECT_EQ(exchange(ascii(":0400G")), hex("00")) << "not a hex digit";
  EXPECT_EQ(exchange(ascii("noise:00000001FF")), hex("4F")) << "only a colon starts a record";
  EXPECT_EQ(exchange(hex("FF")), hex("FE")) << "the upload ended with the end record";
  auto guard = display.lock();
  EXPECT_EQ(loader.flash().records(4),
            (std::vector<std::string>{":04001000E4F5902261", ":00000001FF"}));
  EXPECT_TRUE(loader.flash().records(0).empty());
}

TEST_F(EpromBootLoaderTest, SampleSetEndsUpInBanksZeroToTwo) {
  upload("SAMPLE.H00");
  for (int bank = 0; bank < 3; ++bank) {
    EXPECT_EQ(difference(bank, "SAMPLE.H0" + std::to_string(bank)), "") << bank;
  }
  auto guard = display.lock();
  EXPECT_TRUE(loader.flash().records(3).empty());
  EXPECT_EQ(loader.erases(), 1u);
  EXPECT_TRUE(loader.runsNewFirmware());
  EXPECT_EQ(QrTest::toHex(loader.shownLine()).substr(0, 11), "01 4B 0A 17");
}

TEST_F(EpromBootLoaderTest, LfOnlyFileArrivesWhole) {
  upload("LFONLY.H00");
  EXPECT_EQ(difference(0, "LFONLY.H00"), "");
}

TEST_F(EpromBootLoaderTest, RefusedRecordsAreSentAgain) {
  display.lock(), loader.refuseRecords(3);
  upload("LFONLY.H00");
  EXPECT_EQ(difference(0, "LFONLY.H00"), "");

  display.lock(), loader.refuseRecords(4);
  EXPECT_EQ(QrTest::failureOf([&] { upload("LFONLY.H00"); }),
            L"EpromVersion11FirmwareUploadStrategy::deleteFlashMemory--Firmware block not "
            L"confirmed");
}

TEST(EpromBootLoaderBanksTest, EveryBankCountAndTheSecondSwitchOver) {
  struct Case {
    uint8_t model;
    int cells, banks;
    uint32_t erases;
  };
  QrTest::ScopedVirtualClock clock;
  for (const Case& test : {Case{116, 40, 1, 0}, Case{116, 40, 2, 0}, Case{116, 40, 4, 1},
                           Case{116, 40, 8, 1}, Case{0x36, 64, 8, 1}}) {
    SCOPED_TRACE(std::to_string(test.model) + " with " + std::to_string(test.banks) + " banks");
    Display display(test.model, 3);
    display.add<Identification>();
    EpromBootLoader::Options options;
    options.banks = test.banks;
    EpromBootLoader& loader = display.add<EpromBootLoader>(options);
    EmulatedPort port(display, &*clock);
    QrCom::EpromVersion11FirmwareUploadStrategy strategy(nullptr, test.model, test.cells);
    strategy.loadFirmware(port, QrCom::fromUtf8(kSamples + "LFONLY.H00"), nullptr);
    auto guard = display.lock();
    EXPECT_EQ(loader.flash().differenceFrom(0, sampleContent("LFONLY.H00")), "");
    EXPECT_EQ(loader.erases(), test.erases);
    EXPECT_TRUE(loader.runsNewFirmware());
  }
}

TEST(EpromCatalogTest, OlderDisplaysCarryTheBootLoader) {
  QrTest::ScopedVirtualClock clock;
  for (uint8_t model : {4, 5, 50, 53, 54, 56, 58, 114, 116, 120}) {
    SCOPED_TRACE(static_cast<int>(model));
    auto display = makeDisplay(model, 3);
    EmulatedPort port(*display, &*clock);
    QrCom::EpromVersion11FirmwareUploadStrategy strategy(nullptr, model,
                                                         QrCom::ModelTable::cellCount(model));
    strategy.loadFirmware(port, QrCom::fromUtf8(kSamples + "LFONLY.H00"), nullptr);
    EXPECT_EQ(display->mode(), Mode::Normal);
  }
  auto current = makeDisplay(84, 0x0103);
  current->receive({0xAE});
  EXPECT_TRUE(current->takeDue().empty());
}

// The emulated port, with a hook after every record the host writes.
class RecordCountingPort : public QrTest::BorrowedPort {
 public:
  RecordCountingPort(QrCom::SerialPort& port, std::function<void(int)> afterRecord)
      : BorrowedPort(port), afterRecord_(std::move(afterRecord)) {}
  void writeBuffer(const uint8_t* data, uint32_t length) override {
    BorrowedPort::writeBuffer(data, length);
    if (length > 0 && data[0] == ':') afterRecord_(++records_);
  }

 private:
  std::function<void(int)> afterRecord_;
  int records_ = 0;
};

TEST_F(EpromBootLoaderTest, CancelFromAnotherThreadEndsTheUploadQuietly) {
  QrCom::EpromVersion11FirmwareUploadStrategy strategy(nullptr, 116, 40);
  std::promise<void> tenthRecord;
  std::promise<void> cancelled;
  std::thread user([&] {
    tenthRecord.get_future().wait();
    strategy.cancel();
    cancelled.set_value();
  });
  RecordCountingPort counting(port, [&](int records) {
    if (records != 10) return;
    tenthRecord.set_value();
    cancelled.get_future().wait();
  });
  strategy.loadFirmware(counting, QrCom::fromUtf8(kSamples + "SAMPLE.H00"), nullptr);
  user.join();
  auto guard = display.lock();
  EXPECT_EQ(loader.flash().records(0).size(), 10u);
  EXPECT_FALSE(loader.runsNewFirmware());
}

}  // namespace
}  // namespace QrEmu
