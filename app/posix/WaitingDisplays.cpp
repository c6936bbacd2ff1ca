#include "app/posix/WaitingDisplays.h"

#include <optional>
#include <string>
#include <vector>

#include "app/TextFormat.h"
#include "app/posix/TerminalTexts.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/DeviceList.h"
#include "qrcom/device/ModelTable.h"
#include "qrcom/firmware/InfoModeSerialNumberRequestStrategy.h"
#include "qrcom/port/ComPorts.h"

namespace QrApp {

namespace {

// The serial number the boot loader on COM port `number` tells in INFO mode; empty when it
// tells none.
std::wstring serialInInfoMode(int number) {
  try {
    QrCom::InfoModeSerialNumberRequestStrategy strategy;
    strategy.readSerialNumber(*QrCom::openComPort(number));
    return strategy.getSerialNumber();
  } catch (const QrCom::QrException&) {
    return {};
  }
}

}  // namespace

DeviceSearch searchWithWaitingDisplays(bool usb, const SettingsFile& settings, uint16_t language,
                                       std::FILE* notes, std::vector<WaitingDisplay>* leftAlone) {
  return [usb, &settings, language, notes, leftAlone](QrCom::DeviceList& devices) {
    std::vector<int> waiting;
    QrCom::SearchRequest request = updaterSearchRequest(usb);
    request.waitingInBootLoader = &waiting;
    devices.search(request);
    const auto note = [&](TerminalText text, std::initializer_list<std::wstring_view> values) {
      const std::wstring line = formatText(terminalText(text, language), values);
      std::fputs((QrCom::toUtf8(line) + "\n").c_str(), notes);
      std::fflush(notes);  // before the questions, which the terminal UI writes unbuffered
    };
    for (const int number : waiting) {
      const std::wstring link = ttyPortText(QrCom::comPortName(number), language);
      std::wstring serial = serialInInfoMode(number);
      const std::optional<uint8_t> model =
          serial.empty() ? std::nullopt : settings.rememberedModel(serial);
      if (model) {
        try {
          devices.insertSorted(QrCom::QuorlinDevice::waitingInBootLoader(number, *model));
          note(TerminalText::kTxtWaiting, {QrCom::ModelTable::modelName(*model), serial, link});
          continue;
        } catch (const QrCom::QrException&) {
          serial.clear();  // it tells nothing any more
        }
      }
      if (serial.empty()) {
        note(TerminalText::kTxtWaitingWithoutSerial, {link});
      } else {
        note(TerminalText::kTxtWaitingModelUnknown, {serial, link});
      }
      if (leftAlone != nullptr) leftAlone->push_back({number, serial});
    }
  };
}

}  // namespace QrApp
