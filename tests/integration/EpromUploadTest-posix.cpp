// The main firmware of an older display loaded through a real pty with the real serial port
// class and the real clock, the emulated display's flash compared with the files afterwards.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "emulator/Display.h"
#include "emulator/modules/EpromBootLoader.h"
#include "emulator/modules/Identification.h"
#include "emulator/pty/PtyServer.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "qrcom/port/PosixSerialPort.h"
#include "tests/support/Failures.h"
#include "tests/support/TempDir.h"

namespace QrEmu {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = QR_TEST_DATA "/firmware";

std::string contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class EpromUploadPtyTest : public ::testing::Test {
 protected:
  EpromUploadPtyTest() {
    display.add<Identification>();
    display.setTrace([this](const TraceEvent& event) {
      if (event.kind != TraceEvent::FromHost) return;
      received += event.bytes.size();
      if (onHostBytes) onHostBytes(event.bytes);
    });
  }

  void start() {
    link = &server.add(display);
    server.start();
    port = std::make_unique<QrCom::PosixSerialPort>(QrCom::fromUtf8(link->path()));
  }

  void upload(const std::wstring& path) {
    QrCom::EpromVersion11FirmwareUploadStrategy strategy(nullptr, 116, 40);
    strategy.loadFirmware(*port, path, nullptr);
  }

  QrTest::TempDir folder;
  Display display{116, 3};
  EpromBootLoader& loader = display.add<EpromBootLoader>(EpromBootLoader::Options{8, 1200, ""});
  std::atomic<size_t> received{0};
  std::function<void(const Bytes&)> onHostBytes;
  PtyServer server;
  PtyLink* link = nullptr;
  std::unique_ptr<QrCom::PosixSerialPort> port;
};

TEST_F(EpromUploadPtyTest, ThreeFilesIntoAnEightBankDisplay) {
  std::string originals[3];
  for (int n = 0; n < 3; ++n) {
    const std::string name = "SAMPLE.H0" + std::to_string(n);
    fs::copy_file(kSamples / name, QrTest::toFsPath(folder.path(QrCom::fromUtf8(name))));
    originals[n] = contentOf(kSamples / name);
  }
  // The last file disappears as soon as the first record is on its way: the display still
  // gets the set as it was when the upload began.
  const fs::path last = QrTest::toFsPath(folder.path(L"SAMPLE.H02"));
  onHostBytes = [&](const Bytes& bytes) {
    if (!bytes.empty() && bytes[0] == ':') fs::remove(last);
  };
  start();

  upload(folder.path(L"SAMPLE.H00"));

  EXPECT_FALSE(fs::exists(last));
  auto guard = display.lock();
  for (int bank = 0; bank < 3; ++bank) {
    EXPECT_EQ(loader.flash().differenceFrom(bank, originals[bank]), "") << bank;
  }
  for (int bank = 3; bank < 8; ++bank) EXPECT_TRUE(loader.flash().records(bank).empty());
  EXPECT_EQ(loader.erases(), 1u);
  EXPECT_TRUE(loader.runsNewFirmware());
  EXPECT_EQ(display.mode(), Mode::Normal);
}

TEST_F(EpromUploadPtyTest, BadFilesAreRefusedBeforeTheDisplayHearsAnything) {
  start();
  const std::wstring prefix = L"EpromVersion11FirmwareUploadStrategy::";
  const std::wstring line = folder.write(L"LINE.H00", std::string(1 << 20, 'F'));
  const std::wstring noise = folder.write(L"NOISE.H00", std::string("\x8F\x00\xFF\x3A\x7E", 5));
  const std::wstring empty = folder.write(L"EMPTY.H00", "");
  EXPECT_EQ(QrTest::failureOf([&] { upload(line); }),
            prefix + L"readFirmwareFiles--Firmware file " + line +
                L" holds no valid Intel HEX record at byte 0.");
  EXPECT_EQ(QrTest::failureOf([&] { upload(noise); }),
            prefix + L"readFirmwareFiles--Firmware file " + noise +
                L" holds no valid Intel HEX record at byte 0.");
  EXPECT_EQ(QrTest::failureOf([&] { upload(empty); }),
            prefix + L"countFirmwareFiles--Firmware files are empty.");
  EXPECT_EQ(received.load(), 0u);
}

TEST_F(EpromUploadPtyTest, DisplayUnpluggedDuringTheRecords) {
  {
    auto guard = display.lock();
    loader.unplugAfterRecords(25);
  }
  start();
  try {
    upload(QrCom::fromUtf8((kSamples / "SAMPLE.H00").string()));
    ADD_FAILURE() << "the upload went on without the display";
  } catch (const QrCom::PortException&) {
  }
  auto guard = display.lock();
  EXPECT_EQ(loader.flash().records(0).size(), 25u);
}

}  // namespace
}  // namespace QrEmu
