// The firmware uploads against a fuzzed device, with a fuzzed firmware file: the EPROM boot
// loader's dialogue and record cutting, the Bluetooth module's records (cut colon to colon, at
// most 99 characters) and the secondary processors' progress frames.
#include <cstdint>
#include <memory>

#include "fuzz/support/CurrentDisplay.h"
#include "fuzz/support/FuzzPort.h"
#include "fuzz/support/TempFiles.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"

namespace {

class ProgressSink : public QrCom::SecondaryFirmwareUploadProgressSink {
 public:
  void onSecondaryProgress(QrCom::QuorlinDevice*, int, const std::wstring&, uint32_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  QrFuzz::currentDisplay();
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
        QrCom::QrBrlOsFirmwareUploadStrategy strategy(&QrFuzz::currentDisplay());
        strategy.loadBtFirmware(hid, file, nullptr);
        break;
      }
      default: {
        QrCom::QrBrlOsFirmwareUploadStrategy strategy(&QrFuzz::currentDisplay());
        ProgressSink sink;
        strategy.updateSecondaryProcessor(port, operation & 1, L"8051.hex", &sink);
        break;
      }
    }
  } catch (const QrCom::QrException&) {
  }
  return 0;
}
