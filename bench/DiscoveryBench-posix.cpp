// How discovery scales with silent candidates: 1, 8, 32 and 64 COM ports on ptys whose emulated
// display never answers, searched in parallel through the real serial port class on the real
// clock. Each time is given as a multiple of one silent probe; parallel probing keeps it near 1.
//
//   discovery_bench        prints one line per count: "silent N  S s  ratio R"
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "emulator/Catalog.h"
#include "emulator/Display.h"
#include "emulator/pty/PtyServer.h"
#include "qrcom/device/DeviceList.h"
#include "qrcom/port/PosixPortTable.h"

namespace {

double searchSeconds(QrCom::DeviceList& list, int candidates) {
  QrCom::SearchRequest request;
  request.linkKinds = {QrCom::SearchRequest::kComPorts};
  for (int number = 1; number <= candidates; ++number) request.comPortNumbers.push_back(number);
  request.serviceFilter = {21};
  const auto start = std::chrono::steady_clock::now();
  list.search(request);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  constexpr int kCounts[] = {1, 8, 32, 64};
  std::vector<std::unique_ptr<QrEmu::Display>> displays;
  std::vector<std::string> paths;
  QrEmu::PtyServer server;
  for (int number = 1; number <= 64; ++number) {
    displays.push_back(QrEmu::makeDisplay(84, 0x0103));
    displays.back()->setSilent(true);
    paths.push_back(server.add(*displays.back()).path());
  }
  QrCom::portTable().setPaths(paths);
  server.start();

  QrCom::DeviceList list;
  double one = 0;
  for (const int count : kCounts) {
    const double seconds = searchSeconds(list, count);
    if (count == 1) one = seconds;
    std::printf("silent %2d  %6.2f s  ratio %.2f\n", count, seconds, seconds / one);
    if (list.count() != 0) {
      std::fprintf(stderr, "a silent display was found\n");
      return 1;
    }
  }
  server.stop();
  QrCom::portTable().setPaths({});
  return 0;
}
