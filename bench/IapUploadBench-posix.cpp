// How close the in-application upload of a current display's firmware comes to the rate its
// protocol allows: the library's device and HidPort against an emulated display on the emulated
// USB-HID bus, on the real clock, through every restart, the erase and the record exchange.
// Floor per record: the purge's 50 ms pause, then one 64-byte report each way (the bus: no delay).
//
//   iap_bench [--trace FILE] [records]   (data records of 16 bytes, default 300; --trace writes
//                                         the port trace of the upload into FILE)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "emulator/Catalog.h"
#include "emulator/hid/EmulatedHidBus.h"
#include "emulator/modules/IapLoader.h"
#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/firmware/ProgressSinks.h"
#include "qrcom/port/PortTrace.h"
#include "tests/support/HexText.h"
#include "tests/support/TempDir.h"

namespace {

using Time = std::chrono::steady_clock::time_point;

using QrBench::PauseCountingClock;

// Notes the time and the pauses so far at the first and the last progress report of the record
// exchange: between them every record goes out and is acknowledged.
class RecordPhase : public QrCom::FirmwareUploadProgressSink {
 public:
  explicit RecordPhase(const PauseCountingClock& clock) : clock_(clock) {}

  void onProgress(QrCom::QuorlinDevice*, const std::wstring&, uint32_t, uint32_t, uint64_t,
                  uint64_t, uint64_t, uint64_t) override {
    last = std::chrono::steady_clock::now();
    lastPaused = clock_.paused();
    if (reports++ == 0) {
      first = last;
      firstPaused = lastPaused;
    }
  }
  void onStage(QrCom::QuorlinDevice*, uint32_t) override {}

  uint64_t reports = 0;
  Time first, last;
  uint64_t firstPaused = 0, lastPaused = 0;

 private:
  const PauseCountingClock& clock_;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string trace = argc > 2 && std::string(argv[1]) == "--trace" ? argv[2] : "";
  if (!trace.empty()) argv += 2, argc -= 2;
  const int dataRecords = argc > 1 ? std::atoi(argv[1]) : 300;
  const std::vector<std::string> records = QrTest::hexRecords(dataRecords, 0);
  const std::string text = QrTest::hexText(records);
  QrTest::TempDir folder;
  const std::wstring file = folder.write(L"MAIN.HEX", text);

  // Installed before the bus and the display, which read the clock too.
  PauseCountingClock clock;
  QrCom::installClock(&clock);
  if (!trace.empty()) QrCom::startPortTrace(QrCom::fromUtf8(trace));
  int status = 0;
  {
    QrCom::RealClock real;
    // A wait for input that finds nothing due takes its time for real, not as a protocol pause.
    QrEmu::EmulatedHidBus bus([&real](uint32_t milliseconds) { real.sleep(milliseconds); });
    std::unique_ptr<QrEmu::Display> display = QrEmu::makeDisplay(84, 0x0103);
    bus.attach(*display);
    QrCom::QuorlinDevice device(bus.pathOf(*display));

    RecordPhase phase(clock);
    const uint64_t pausedBefore = clock.paused();
    const double cpuBefore = QrBench::cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const auto start = std::chrono::steady_clock::now();
    try {
      device.loadFirmware(file, &phase);
    } catch (const QrCom::QrException& error) {
      std::fprintf(stderr, "upload failed: %s\n", QrCom::toUtf8(error.getMessage()).c_str());
      return 1;
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = QrBench::cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuBefore;
    const double pauses = static_cast<double>(clock.paused() - pausedBefore) / 1000;

    const double recordSeconds = std::chrono::duration<double>(phase.last - phase.first).count();
    const double recordPauses = static_cast<double>(phase.lastPaused - phase.firstPaused) / 1000;
    const double count = static_cast<double>(records.size());
    bool flashed = false;
    {
      auto guard = display->lock();
      flashed = display->find<QrEmu::IapLoader>()->flashed() == records;
    }
    std::printf("firmware     %zu records, %zu bytes of HEX text\n", records.size(), text.size());
    std::printf("upload       %.2f s (pauses %.2f s)\n", wall, pauses);
    std::printf("measured     %.2f records/s (%.2f s for the records)\n", count / recordSeconds,
                recordSeconds);
    std::printf("floor        %.2f records/s (pauses %.2f s, reports at once)\n",
                count / recordPauses, recordPauses);
    std::printf("ratio        %.4f of the protocol's rate\n", recordPauses / recordSeconds);
    // The emulated display runs in this process: its work counts as the host's.
    std::printf("host cpu     %.2f s, %.4f of the wall time\n", cpu, cpu / wall);
    std::printf("flash        %s\n", flashed ? "matches the file" : "DIFFERS from the file");
    status = flashed ? 0 : 1;
  }
  QrCom::stopPortTrace();
  QrCom::installClock(nullptr);
  return status;
}
