// quorlin-emulator: emulated displays on pseudo-terminals, for trying the updater and the
// library without hardware.
#include <signal.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "emulator/Catalog.h"
#include "emulator/pty/PtyServer.h"
#include "emulator/tool/ToolOptions.h"
#include "qrcom/base/Clock.h"

namespace {

QrEmu::PtyServer* running = nullptr;

void onSignal(int) {
  if (running != nullptr) running->requestStop();
}

void applyFaults(QrEmu::Display& display, const QrEmu::Faults& faults) {
  display.setSilent(faults.silent);
  display.setWrongAnswers(faults.wrongAnswers);
  display.setGarbage(faults.garbage);
  display.setAnswerDelay(faults.answerDelay);
  display.setBusy(faults.busy);
}

void logBytes(size_t number, uint32_t start, QrEmu::Direction direction,
              const QrEmu::Bytes& bytes) {
  const uint32_t elapsed = QrCom::clock().tick() - start;
  std::printf("%6u.%03u display %zu %s %s\n", elapsed / 1000, elapsed % 1000, number,
              direction == QrEmu::Direction::FromHost ? "host>" : "<dev ",
              QrEmu::toHex(bytes).c_str());
}

int serve(const QrEmu::ToolOptions& options) {
  std::vector<std::unique_ptr<QrEmu::Display>> displays;  // outlive the server
  QrEmu::PtyServer server;
  const uint32_t start = QrCom::clock().tick();
  for (const QrEmu::DisplaySettings& settings : options.displays) {
    displays.push_back(QrEmu::makeDisplay(settings.modelId, settings.protocolVersion));
    QrEmu::Display& display = *displays.back();
    const size_t number = displays.size();
    applyFaults(display, settings.faults);
    if (options.log) {
      display.setTrace([number, start](QrEmu::Direction direction, const QrEmu::Bytes& bytes) {
        logBytes(number, start, direction, bytes);
      });
    }
    const QrEmu::PtyLink& link = server.add(display, {settings.link, options.lineRate});
    std::printf("display %zu: %s (model %u, protocol version 0x%04X)%s%s\n", number,
                link.path().c_str(), settings.modelId, settings.protocolVersion,
                settings.link.empty() ? "" : " linked as ", settings.link.c_str());
  }

  running = &server;
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  server.run();
  running = nullptr;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  QrEmu::ToolOptions options;
  try {
    options = QrEmu::parseToolOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::invalid_argument& error) {
    std::fprintf(stderr, "quorlin-emulator: %s\n%s", error.what(), QrEmu::kToolUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(QrEmu::kToolUsage, stdout);
    return 0;
  }
  try {
    return serve(options);
  } catch (const std::system_error& error) {
    std::fprintf(stderr, "quorlin-emulator: %s\n", error.what());
    return 1;
  }
}
