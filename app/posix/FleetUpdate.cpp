#include "app/posix/FleetUpdate.h"

#include <unistd.h>

#include <memory>
#include <thread>
#include <vector>

#include "app/DevicePort.h"
#include "app/LocalizedStrings.h"
#include "app/TextFormat.h"
#include "app/posix/ComeBackCheck.h"
#include "app/posix/CommandLine.h"
#include "app/posix/DisplayListing.h"
#include "app/posix/FleetBoard.h"
#include "app/posix/FleetUi.h"
#include "app/posix/Interrupt.h"
#include "app/posix/TerminalInput.h"
#include "app/posix/TerminalTexts.h"
#include "app/posix/UpdateEvents.h"
#include "qrcom/base/Utf8.h"

namespace QrApp {

namespace {

// The settings of a run with a folder given: never read or written.
class NoSettings : public FolderSettings {
 public:
  std::optional<std::wstring> readLastFolder() override { return std::nullopt; }
  void writeLastFolder(const std::wstring&) override {}
};

// One display's update: its own controller, whose search hands over the display found.
void updateOne(std::unique_ptr<QrCom::QuorlinDevice> device, const std::wstring& folder,
               uint16_t language, SettingsFile& settings, FleetBoard& board, std::size_t row) {
  FleetUi ui(board, row);
  NoSettings noFolder;
  auto found = std::make_shared<std::unique_ptr<QrCom::QuorlinDevice>>(std::move(device));
  FirmwareUploadControler controller(ui, noFolder, [found](QrCom::DeviceList& devices) {
    if (*found) devices.insertSorted(std::move(*found));
  });
  ComeBackCheck check(language, &settings);
  controller.setWitness(&check);
  const UpdateOutcome outcome = updateFromCommandLine(controller, folder);
  board.finish(row, outcome, check.firmwareBefore(), check.firmwareAfter());
}

}  // namespace

int updateAll(const DeviceSearch& search, const std::wstring& folder, uint16_t language, bool json,
              bool one, SettingsFile& settings, int output, int notes) {
  const auto say = [language, notes](TerminalText text) {
    writeFully(notes, QrCom::toUtf8(terminalText(text, language)) + "\n");
  };
  QrCom::DeviceList devices;
  search(devices);
  if (devices.count() == 0) {
    writeFully(notes,
               QrCom::toUtf8(loadLocalizedString(kStrNoDevice, language, kCaptionLength)) + "\n");
    if (json) writeFully(output, exitEvent(kExitNoDevice));
    return kExitNoDevice;
  }
  if (one && devices.count() > 1) {
    const std::wstring found = std::to_wstring(devices.count());
    writeFully(notes, QrCom::toUtf8(formatText(
                          terminalText(TerminalText::kTxtSeveralDisplays, language), {found})) +
                          "\n");
    if (json) writeFully(output, exitEvent(kExitUsage));
    return kExitUsage;
  }
  using Style = FleetBoard::Style;
  FleetBoard board(json                  ? Style::Json
                   : isatty(output) == 1 ? Style::InPlace
                                         : Style::Lines,
                   language);
  std::vector<std::thread> updates;
  InterruptCatcher interrupt;
  say(TerminalText::kTxtCancelHint);
  while (devices.count() > 0) {
    std::unique_ptr<QrCom::QuorlinDevice> device = devices.remove(&devices.at(0));
    const ListedDisplay listed = listedDisplay(*device, language);
    const std::size_t row = board.addRow(
        deviceDescription(deviceLabel(*device, language), language), {listed.path, listed.serial});
    updates.emplace_back(updateOne, std::move(device), folder, language, std::ref(settings),
                         std::ref(board), row);
  }
  bool cancelling = false;
  while (!board.allFinished()) {
    writeFully(output, board.render());
    if (waitForInput({board.descriptor(), interrupt.descriptor()}) == 1) {
      interrupt.drain();
      if (!cancelling) say(TerminalText::kTxtCancelling);
      cancelling = true;
      board.cancelAll();
    }
  }
  for (std::thread& update : updates) update.join();
  writeFully(output, board.render() + board.summary());
  return board.exitStatus();
}

}  // namespace QrApp
