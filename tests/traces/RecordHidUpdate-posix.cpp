// Records the port trace of a whole update of a current display (a Vantra, model 84) on the
// emulated USB-HID bus, in real time, with the updater's controller, search and terminal: the
// HID trace the tests replay is made with it (scripts/make-traces.sh).
//
//   record_hid_update PACKAGE TRACE
#include <unistd.h>

#include <cstdio>

#include "app/FirmwareUploadControler.h"
#include "app/LocalizedStrings.h"
#include "app/posix/SettingsFile.h"
#include "app/posix/TerminalUi.h"
#include "emulator/Catalog.h"
#include "emulator/hid/EmulatedHidBus.h"
#include "qrcom/base/Clock.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/port/PortTrace.h"
#include "tests/traces/HidSearch.h"

namespace {

class ConfirmingUi : public QrApp::TerminalUi {
 public:
  using TerminalUi::TerminalUi;
  bool askYesNo(const std::wstring& question) override {
    showMessage(question, QrApp::MessageKind::Information);
    return true;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: record_hid_update PACKAGE TRACE\n", stderr);
    return 2;
  }
  QrCom::RealClock real;
  QrEmu::EmulatedHidBus bus([&real](uint32_t milliseconds) { real.sleep(milliseconds); });
  std::unique_ptr<QrEmu::Display> display = QrEmu::makeDisplay(84, 0x0103);
  bus.attach(*display);

  QrCom::startPortTrace(QrCom::fromUtf8(argv[2]));
  ConfirmingUi ui(STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO, QrApp::kLanguageEnglish);
  QrApp::SettingsFile nowhere("");
  QrApp::FirmwareUploadControler controller(ui, nowhere, QrTest::hidOnlySearch());
  const QrApp::UpdateOutcome outcome =
      QrApp::updateFromCommandLine(controller, QrCom::fromUtf8(argv[1]));
  QrCom::stopPortTrace();
  return outcome == QrApp::UpdateOutcome::Succeeded ? 0 : 1;
}
