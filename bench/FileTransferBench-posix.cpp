// Throughput of uploads and downloads over a serial line at 115200 baud: the emulated display
// on a pty paces every byte as the line would (11 bits a byte), the host uses the real serial
// port and the real strategies. The result is given as a fraction of the protocol's own limit:
// the time all bytes on the wire (commands, answers, frames) need at the line rate, divided by
// the time the transfer took. Whatever the host adds between blocks lowers it.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "emulator/Display.h"
#include "emulator/modules/FileTransfer.h"
#include "emulator/pty/PtyServer.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/port/PosixSerialPort.h"
#include "qrcom/protocol/BrailleSystemVersion2005FileTransferStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"
#include "tests/support/TempDir.h"

namespace {

constexpr uint32_t kBaud = 115200;
// The file size and whether the line is paced; the program's arguments may change both.
size_t fileSize = 1 << 20;
bool lineRate = true;

struct Measurement {
  double seconds;
  uint64_t wireBytes;
};

// Counts the bytes crossing the line in both directions.
class WireCounter {
 public:
  explicit WireCounter(QrEmu::Display& display) {
    display.setTrace([this](const QrEmu::TraceEvent& event) {
      if (event.kind != QrEmu::TraceEvent::LineRate) bytes_ += event.bytes.size();
    });
  }
  uint64_t take() { return bytes_.exchange(0); }

 private:
  std::atomic<uint64_t> bytes_{0};
};

template <typename Transfer>
Measurement measure(WireCounter& counter, Transfer transfer) {
  counter.take();
  const auto start = std::chrono::steady_clock::now();
  transfer();
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return {elapsed.count(), counter.take()};
}

void report(const char* what, const Measurement& measured) {
  const double lineSeconds = measured.wireBytes * 11.0 / kBaud;
  const double payloadRate = fileSize / measured.seconds;
  std::printf("%-34s %8.2f s  %7.0f B/s  wire %8llu B  efficiency %.3f  of limit %.3f\n", what,
              measured.seconds, payloadRate, static_cast<unsigned long long>(measured.wireBytes),
              static_cast<double>(fileSize) / measured.wireBytes, lineSeconds / measured.seconds);
}

void run(const char* name, QrEmu::Generation generation, QrCom::FileTransferStrategy& strategy,
         uint8_t modelId, uint16_t version) {
  QrEmu::Display display(modelId, version);
  display.add<QrEmu::FileTransfer>(generation);
  WireCounter counter(display);
  QrEmu::PtyServer server;
  const std::wstring path = QrCom::fromUtf8(server.add(display, {"", lineRate}).path());
  server.start();

  QrCom::PosixSerialPort port(path);
  port.setBaudRate(kBaud);
  QrTest::TempDir dir;
  std::string content(fileSize, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31 + i / 997);
  const std::wstring source = dir.write(L"up", content);

  const Measurement up = measure(
      counter, [&] { strategy.receiveFile(port, nullptr, source, L"BENCH.BIN", 0, 1, nullptr); });
  const Measurement down = measure(counter, [&] {
    strategy.sendFile(port, nullptr, L"BENCH.BIN", dir.path(L"down"), fileSize, nullptr);
  });
  if (dir.read(L"down") != content) std::printf("%s: downloaded content differs\n", name);
  report((std::string(name) + " upload").c_str(), up);
  report((std::string(name) + " download").c_str(), down);
}

}  // namespace

// Arguments: the file size in KiB (1024 unless given); "unpaced" runs the line at full speed,
// which shows the latency of the host and the emulator alone.
int main(int argc, char** argv) {
  if (argc > 1) fileSize = std::stoul(argv[1]) * 1024;
  if (argc > 2) lineRate = std::string(argv[2]) != "unpaced";
  std::printf("%zu KiB at %u baud, 11 bits a byte%s\n", fileSize / 1024, kBaud,
              lineRate ? "" : ", line not paced");
  try {
    QrCom::BrailleSystemVersion2005FileTransferStrategy legacy;
    run("legacy (78-byte blocks)", QrEmu::Generation::Legacy, legacy, 116, 1);
    QrCom::QrBrlOsVersion102FileTransferStrategy current(84);
    run("current (512-byte blocks)", QrEmu::Generation::Current, current, 84, 0x0102);
  } catch (const QrCom::QrException& failure) {
    std::printf("failed: %s\n", QrCom::toUtf8(failure.getMessage()).c_str());
    return 1;
  }
  return 0;
}
