// quorlin-emulator: emulated displays on pseudo-terminals, for trying the updater and the
// library without hardware.
#include <signal.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "emulator/Catalog.h"
#include "emulator/pty/PtyServer.h"
#include "emulator/replay/Replay.h"
#include "emulator/tool/Contents.h"
#include "emulator/tool/ControlFifo.h"
#include "emulator/tool/ToolOptions.h"
#include "qrcom/base/Clock.h"

namespace {

QrEmu::PtyServer* running = nullptr;

void onSignal(int) {
  if (running != nullptr) running->requestStop();
}

void logEvent(size_t number, uint32_t start, const QrEmu::TraceEvent& event) {
  const uint32_t elapsed = QrCom::clock().tick() - start;
  std::printf("%6u.%03u display %zu ", elapsed / 1000, elapsed % 1000, number);
  switch (event.kind) {
    case QrEmu::TraceEvent::FromHost:
      std::printf("host> %s\n", QrEmu::toHex(event.bytes).c_str());
      break;
    case QrEmu::TraceEvent::ToHost:
      std::printf("<dev  %s\n", QrEmu::toHex(event.bytes).c_str());
      break;
    case QrEmu::TraceEvent::LineRate:
      std::printf("line  %u baud\n", event.baud);
      break;
  }
}

void obey(const std::string& line, std::vector<std::unique_ptr<QrEmu::Display>>& displays) {
  try {
    const QrEmu::ControlCommand command = QrEmu::parseControlLine(line);
    if (command.display > displays.size()) throw std::invalid_argument("no such display");
    QrEmu::Display& display = *displays[command.display - 1];
    if (command.powerCut) {
      display.cutPowerAtWrite(display.hostWrites() + 1);
    } else {
      display.setFaults(command.faults);
    }
  } catch (const std::invalid_argument& error) {
    std::fprintf(stderr, "quorlin-emulator: control \"%s\": %s\n", line.c_str(), error.what());
  }
}

// The display `settings` describe, or the replay of a trace; a replay's divergence stops the
// tool.
std::unique_ptr<QrEmu::Display> makeDisplay(const QrEmu::DisplaySettings& settings,
                                            std::vector<QrEmu::Replay*>& replays) {
  if (settings.replay.empty()) {
    return QrEmu::makeDisplay(settings.modelId, settings.protocolVersion, settings.identity);
  }
  QrEmu::Replay* replay = nullptr;
  auto display = QrEmu::makeReplayDisplay(QrEmu::readTraceFile(settings.replay), &replay);
  replay->setOnDivergence([] { onSignal(SIGTERM); });
  replays.push_back(replay);
  return display;
}

// Says how each replay went; false when one did not match the host to the end.
bool reportReplays(const std::vector<QrEmu::Replay*>& replays) {
  bool matched = true;
  for (size_t number = 1; number <= replays.size(); ++number) {
    std::printf("replay %zu: %s\n", number, replays[number - 1]->report().c_str());
    matched = matched && replays[number - 1]->complete();
  }
  return matched;
}

int serve(const QrEmu::ToolOptions& options) {
  std::vector<std::unique_ptr<QrEmu::Display>> displays;  // outlive the server
  std::vector<QrEmu::Replay*> replays;
  std::optional<QrEmu::ControlFifo> control;
  QrEmu::PtyServer server;
  const uint32_t start = QrCom::clock().tick();
  // Before the links: a link that exists means that the FIFO does too.
  if (!options.control.empty()) control.emplace(options.control);
  for (const QrEmu::DisplaySettings& settings : options.displays) {
    displays.push_back(makeDisplay(settings, replays));
    QrEmu::Display& display = *displays.back();
    const size_t number = displays.size();
    display.setFaults(settings.faults);
    if (options.log) {
      display.setTrace(
          [number, start](const QrEmu::TraceEvent& event) { logEvent(number, start, event); });
    }
    const QrEmu::PtyLink& link =
        server.add(display, {settings.link, options.lineRate, options.resetParity});
    char kind[160];
    if (settings.replay.empty()) {
      std::snprintf(kind, sizeof kind, "model %u, protocol version 0x%04X", settings.modelId,
                    settings.protocolVersion);
    } else {
      std::snprintf(kind, sizeof kind, "replay of %s", settings.replay.c_str());
    }
    std::printf("display %zu: %s (%s)%s%s\n", number, link.path().c_str(), kind,
                settings.link.empty() ? "" : " linked as ", settings.link.c_str());
  }
  if (control) {
    server.watch(control->descriptor(), [&control, &displays] {
      control->readLines([&displays](const std::string& line) { obey(line, displays); });
    });
    std::printf("control: %s\n", options.control.c_str());
  }

  running = &server;
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  server.run();
  running = nullptr;
  if (options.contents) {
    for (size_t number = 1; number <= displays.size(); ++number) {
      std::printf("display %zu holds:\n%s", number,
                  QrEmu::describeContents(*displays[number - 1]).c_str());
    }
  }
  return reportReplays(replays) ? 0 : 1;
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
  } catch (const std::invalid_argument& error) {  // a trace that cannot be read
    std::fprintf(stderr, "quorlin-emulator: %s\n", error.what());
    return 1;
  } catch (const std::system_error& error) {
    std::fprintf(stderr, "quorlin-emulator: %s\n", error.what());
    return 1;
  }
}
