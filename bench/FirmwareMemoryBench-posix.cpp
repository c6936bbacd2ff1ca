// Peak memory of an EPROM upload of the largest firmware file the host accepts (a HEX text just
// under 4 MiB), through the in-process emulated display on a clock that does not wait: the
// figure is the process's peak resident size above what it held before the upload (the
// emulated flash keeps its own copy of every record, so the host's share is below it).
//
//   firmware_memory_bench
#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "emulator/Display.h"
#include "emulator/EmulatedPort.h"
#include "emulator/modules/EpromBootLoader.h"
#include "emulator/modules/Identification.h"
#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"

namespace {

namespace fs = std::filesystem;

// 16 data bytes a record of 45 characters with its CR LF: about 3.9 MiB of text. More than a
// 64 KiB bank holds: the addresses wrap, which the host does not look at.
constexpr int kRecords = 90600;

// Time passes only when someone waits.
class ImmediateClock : public QrCom::Clock {
 public:
  void sleep(uint32_t milliseconds) override { advance(milliseconds); }
  uint32_t tick() override { return static_cast<uint32_t>(now_); }
  QrCom::CalendarTime localTime() override { return {2024, 5, 1, 6, 7, 8, 9, 0}; }
  void advance(uint32_t milliseconds) { now_ += milliseconds; }

 private:
  std::atomic<uint64_t> now_{0};
};

void writeFirmware(const fs::path& path) {
  std::ofstream out(path, std::ios::binary);
  char line[64];
  for (int n = 0; n < kRecords; ++n) {
    const unsigned address = (n * 16u) & 0xFFFF;
    unsigned sum = 16 + (address >> 8) + (address & 0xFF);
    int at = std::snprintf(line, sizeof line, ":10%04X00", address);
    for (int i = 0; i < 16; ++i) {
      const unsigned byte = (n * 7u + i * 13u) & 0xFF;
      sum += byte;
      at += std::snprintf(line + at, sizeof line - at, "%02X", byte);
    }
    std::snprintf(line + at, sizeof line - at, "%02X\r\n", (0x100 - sum % 256) & 0xFF);
    out << line;
  }
  out << ":00000001FF\r\n";
}

long peakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main() {
  const fs::path folder = fs::temp_directory_path() / "memory-bench";
  fs::create_directories(folder);
  const fs::path file = folder / "BIG.H00";
  writeFirmware(file);
  ImmediateClock clock;
  QrCom::installClock(&clock);
  QrEmu::Display display(116, 3);
  display.add<QrEmu::Identification>();
  QrEmu::EpromBootLoader::Options options;
  options.eraseMs = 0;
  display.add<QrEmu::EpromBootLoader>(options);
  QrEmu::EmulatedPort port(display, &clock);

  const long before = peakKiB();
  QrCom::EpromVersion11FirmwareUploadStrategy strategy(nullptr, 116, 40);
  try {
    strategy.loadFirmware(port, QrCom::fromUtf8(file.string()), nullptr);
  } catch (const QrCom::QrException& error) {
    std::fprintf(stderr, "upload failed: %s\n", QrCom::toUtf8(error.getMessage()).c_str());
    return 1;
  }
  const long after = peakKiB();
  std::printf("firmware     %.2f MiB of HEX text\n",
              static_cast<double>(fs::file_size(file)) / (1 << 20));
  std::printf("peak rss     %.1f MiB (%.1f MiB before the upload)\n", after / 1024.0,
              before / 1024.0);
  std::printf("growth       %.1f MiB\n", (after - before) / 1024.0);
  QrCom::installClock(nullptr);
  fs::remove_all(folder);
  return 0;
}
