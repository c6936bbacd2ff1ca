// The in-application upload over USB-HID against a fuzzed display and a fuzzed firmware file:
// the restarts with their re-enumeration (listings, opens, report sizes, failing writes), the
// acknowledgements of every command, the record walk (records near and over the loader's
// 99-character limit) and a cancel at any record.
#include <cstdint>
#include <memory>

#include "fuzz/support/CurrentDisplay.h"
#include "fuzz/support/FuzzHidBus.h"
#include "fuzz/support/FuzzPort.h"
#include "fuzz/support/TempFiles.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"

namespace {

// Cancels the upload at the n-th progress report (0: never).
class CancellingSink : public QrCom::FirmwareUploadProgressSink {
 public:
  CancellingSink(QrCom::FirmwareUploadStrategy& strategy, uint8_t cancelAt)
      : strategy_(strategy), cancelAt_(cancelAt) {}
  void onProgress(QrCom::QuorlinDevice*, const std::wstring&, uint32_t, uint32_t, uint64_t,
                  uint64_t, uint64_t, uint64_t) override {
    if (++reports_ == cancelAt_) strategy_.cancel();
  }
  void onStage(QrCom::QuorlinDevice*, uint32_t) override {}

 private:
  QrCom::FirmwareUploadStrategy& strategy_;
  const uint32_t cancelAt_;
  uint32_t reports_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  QrFuzz::currentDisplay();
  return 0;
}

// operation (% 4: 0, 1 loadFirmware, 2 restart into IAP mode, 3 into normal mode), cancel-at
// byte, file size (2 bytes), file, behaviour size (2 bytes), behaviour, answers (FuzzHidBus.h).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QrFuzz::ScopedFuzzClock clock;
  QrFuzz::Choices choose(data, size);
  const uint8_t operation = choose.byte() % 4;
  const uint8_t cancelAt = choose.byte();
  const size_t fileSize = std::min<size_t>(choose.word(), size);
  QrFuzz::clearScratchFolder();
  const std::wstring file = QrCom::fromUtf8(QrFuzz::writeScratchFile("MAIN.HEX", data, fileSize));
  data += fileSize;
  size -= fileSize;
  const size_t behaviourSize = std::min<size_t>(choose.word(), size);
  QrFuzz::FuzzHidBus bus(*clock, QrFuzz::ByteStream(data, behaviourSize),
                         QrFuzz::ByteStream(data + behaviourSize, size - behaviourSize));
  // Declared after the bus: its port closes first.
  QrCom::QuorlinDevice device(QrFuzz::currentDisplay());
  QrCom::QrBrlOsFirmwareUploadStrategy strategy(&device);
  CancellingSink sink(strategy, cancelAt);
  try {
    QrCom::SerialPort& port = device.reopenHidPort(QrFuzz::FuzzHidBus::kPaths[0]);
    if (operation < 2) {
      strategy.loadFirmware(port, file, &sink);
    } else {
      strategy.restartSystem(port, operation == 3);
    }
  } catch (const QrCom::QrException&) {
  }
  return 0;
}
