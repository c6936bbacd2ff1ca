// A whole update of a current display (a Vantra, model 84) on the emulated USB-HID bus, in
// real time, with the updater's own controller, search and terminal, recorded into a port
// trace: for the host's turnaround over a whole update (bench/run.sh, trace_turnaround) and for
// the USB-HID trace the tests replay (scripts/make-traces.sh).
//
//   hid_update_bench PACKAGE TRACE
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "app/FirmwareUploadControler.h"
#include "app/LocalizedStrings.h"
#include "app/posix/SettingsFile.h"
#include "app/posix/TerminalUi.h"
#include "emulator/Catalog.h"
#include "emulator/hid/EmulatedHidBus.h"
#include "qrcom/base/Clock.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/DeviceList.h"
#include "qrcom/port/PortTrace.h"

namespace {

class ConfirmingUi : public QrApp::TerminalUi {
 public:
  using TerminalUi::TerminalUi;
  bool askYesNo(const std::wstring& question) override {
    showMessage(question, QrApp::MessageKind::Information);
    return true;
  }
};

// The updater's search on USB-HID alone: the emulated bus's display, never the machine's ttys.
void hidOnlySearch(QrCom::DeviceList& devices) {
  QrCom::SearchRequest request = QrApp::updaterSearchRequest(true);
  request.linkKinds = {QrCom::SearchRequest::kHidInterfaces};
  request.comPortNumbers.clear();
  devices.search(request);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: hid_update_bench PACKAGE TRACE\n", stderr);
    return 2;
  }
  QrCom::RealClock real;
  QrEmu::EmulatedHidBus bus([&real](uint32_t milliseconds) { real.sleep(milliseconds); });
  std::unique_ptr<QrEmu::Display> display = QrEmu::makeDisplay(84, 0x0103);
  bus.attach(*display);

  QrCom::startPortTrace(QrCom::fromUtf8(argv[2]));
  ConfirmingUi ui(STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO, QrApp::kLanguageEnglish);
  QrApp::SettingsFile nowhere("");
  QrApp::FirmwareUploadControler controller(ui, nowhere, hidOnlySearch);
  const auto start = std::chrono::steady_clock::now();
  const bool succeeded = QrApp::updateFromCommandLine(controller, QrCom::fromUtf8(argv[1])) ==
                         QrApp::UpdateOutcome::Succeeded;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  QrCom::stopPortTrace();
  std::printf("update       %.2f s, %s\n", seconds, succeeded ? "succeeded" : "FAILED");
  return succeeded ? 0 : 1;
}
