// How close the EPROM upload comes to the protocol's own floor: a 5-file firmware of 64 KiB
// files through an emulated display on a pty that passes bytes at 19200 baud (11 bits a byte),
// on the real clock. The floor is the sum of the pauses the protocol prescribes plus the time
// every byte of the dialogue needs on the line; the ratio shows what the host adds.
//
//   eprom_bench [folder]   (without a folder the firmware is generated into a temporary one)

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "bench/BenchClock.h"
#include "emulator/Display.h"
#include "emulator/modules/EpromBootLoader.h"
#include "emulator/modules/Identification.h"
#include "emulator/pty/PtyServer.h"
#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"
#include "qrcom/port/PosixSerialPort.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 5;
// 1456 records of 16 bytes: 65,533 bytes of HEX text a file.
constexpr int kFirmwareBytes = 1456 * 16;
constexpr double kBaud = 19200;
constexpr double kBitsPerByte = 11;

using QrBench::PauseCountingClock;

std::string contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fs::path generateFirmware() {
  const fs::path folder = fs::temp_directory_path() / "eprom-bench";
  fs::create_directories(folder);
  const std::string command = "python3 '" QR_SOURCE_DIR
                              "/scripts/make-sample-firmware.py' --out '" +
                              folder.string() + "' --name BENCH --files " + std::to_string(kFiles) +
                              " --bytes " + std::to_string(kFirmwareBytes) + " >/dev/null";
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "could not generate the firmware\n");
    std::exit(2);
  }
  return folder;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path folder = argc > 1 ? fs::path(argv[1]) : generateFirmware();
  const fs::path first = folder / "BENCH.H00";
  uintmax_t hexBytes = 0;
  for (int n = 0; n < kFiles; ++n)
    hexBytes += fs::file_size(folder / ("BENCH.H0" + std::to_string(n)));
  // Installed before the emulator's thread starts, which reads the clock too.
  PauseCountingClock clock;
  QrCom::installClock(&clock);

  QrEmu::Display display(116, 3);
  display.add<QrEmu::Identification>();
  QrEmu::EpromBootLoader::Options options;
  options.eraseMs = 0;
  QrEmu::EpromBootLoader& loader = display.add<QrEmu::EpromBootLoader>(options);
  std::atomic<uint64_t> lineBytes{0};
  display.setTrace([&](const QrEmu::TraceEvent& event) { lineBytes += event.bytes.size(); });

  QrEmu::PtyServer server;
  QrEmu::LinkOptions link;
  link.lineRate = true;
  const std::string tty = server.add(display, link).path();
  server.start();

  QrCom::PosixSerialPort port(QrCom::fromUtf8(tty));
  const uint64_t pausedBefore = clock.paused();
  const uint64_t bytesBefore = lineBytes;

  QrCom::EpromVersion11FirmwareUploadStrategy strategy(nullptr, 116, 40);
  const double cpuBefore = QrBench::cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  const auto start = std::chrono::steady_clock::now();
  try {
    strategy.loadFirmware(port, QrCom::fromUtf8(first.string()), nullptr);
  } catch (const QrCom::QrException& error) {
    std::fprintf(stderr, "upload failed: %s\n", QrCom::toUtf8(error.getMessage()).c_str());
    return 1;
  }
  const double measured =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = QrBench::cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpuBefore;

  int wrong = 0;
  {
    auto guard = display.lock();
    for (int bank = 0; bank < kFiles; ++bank) {
      const std::string difference = loader.flash().differenceFrom(
          bank, contentOf(folder / ("BENCH.H0" + std::to_string(bank))));
      if (!difference.empty()) {
        std::fprintf(stderr, "%s\n", difference.c_str());
        ++wrong;
      }
    }
  }
  const double pauses = static_cast<double>(clock.paused() - pausedBefore) / 1000;
  const double bytes = static_cast<double>(lineBytes - bytesBefore);
  const double wire = bytes * kBitsPerByte / kBaud;
  const double floor = pauses + wire;
  std::printf("firmware     %d files, %ju bytes of HEX text\n", kFiles, hexBytes);
  std::printf("measured     %.2f s\n", measured);
  std::printf("floor        %.2f s (pauses %.2f s + %.0f bytes on the line %.2f s)\n", floor,
              pauses, bytes, wire);
  std::printf("ratio        %.4f (target <= 1.05)\n", measured / floor);
  // The upload runs on this thread; the emulated display's threads are not counted.
  std::printf("host cpu     %.2f s, %.4f of the wall time\n", cpu, cpu / measured);
  std::printf("flash        %s\n", wrong == 0 ? "matches the files" : "DIFFERS from the files");
  server.stop();
  QrCom::installClock(nullptr);
  return wrong == 0 ? 0 : 1;
}
