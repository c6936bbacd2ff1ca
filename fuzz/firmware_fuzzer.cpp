// The firmware uploads against a fuzzed device, with a fuzzed firmware file: the EPROM boot
// loader's dialogue and record cutting, the Bluetooth module's records (cut colon to colon, at
// most 99 characters) and the secondary processors' progress frames.
#include <cstdint>
#include <memory>

#include "fuzz/support/FuzzPort.h"
#include "fuzz/support/TempFiles.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"
#include "tests/support/ScriptedHidDisplay.h"
#include "tests/support/VirtualClock.h"

namespace {

const std::wstring kPath = L"\\\\?\\hid#vid_4c7a&pid_0054#1#{guid}";

// A current display (model 84) for the strategies that ask their device for its model id,
// identified once over a scripted HID link.
QrCom::QuorlinDevice& currentDisplay() {
  static QrCom::QuorlinDevice* device = [] {
    QrTest::ScopedVirtualClock clock;
    QrTest::ScriptedHidBus bus;
    QrTest::ScriptedHidDisplay display(*clock, 84, 0x0103);
    bus.attach(kPath, display.device());
    return new QrCom::QuorlinDevice(kPath);
  }();
  return *device;
}

class ProgressSink : public QrCom::SecondaryFirmwareUploadProgressSink {
 public:
  void onSecondaryProgress(QrCom::QuorlinDevice*, int, const std::wstring&, uint32_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  currentDisplay();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QrFuzz::ScopedFuzzClock clock;
  QrFuzz::Choices choose(data, size);
  const uint8_t operation = choose.byte();
  const size_t fileSize = std::min<size_t>(choose.word(), size);
  QrFuzz::clearScratchFolder();
  const std::wstring file = QrCom::fromUtf8(QrFuzz::writeScratchFile("FW.H00", data, fileSize));
  data += fileSize;
  size -= fileSize;
  QrFuzz::FuzzPort port(*clock, data, size, operation);
  try {
    switch ((operation & 0x3F) % 4) {
      case 0: {
        QrCom::EpromVersion11FirmwareUploadStrategy strategy(nullptr, 116, 40);
        strategy.loadFirmware(port, file, nullptr);
        break;
      }
      case 1: {
        QrFuzz::FuzzPort hid(*clock, data, size, operation | QrFuzz::FuzzPort::kHid);
        QrCom::QrBrlOsFirmwareUploadStrategy strategy(&currentDisplay());
        strategy.loadBtFirmware(hid, file, nullptr);
        break;
      }
      default: {
        QrCom::QrBrlOsFirmwareUploadStrategy strategy(&currentDisplay());
        ProgressSink sink;
        strategy.updateSecondaryProcessor(port, operation & 1, L"8051.hex", &sink);
        break;
      }
    }
  } catch (const QrCom::QrException&) {
  }
  return 0;
}
