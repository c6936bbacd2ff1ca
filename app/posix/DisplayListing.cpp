#include "app/posix/DisplayListing.h"

#include <functional>
#include <nlohmann/json.hpp>

#include "app/DevicePort.h"
#include "app/posix/TerminalTexts.h"
#include "qrcom/base/DebugOutput.h"
#include "qrcom/base/QrException.h"
#include "qrcom/base/Utf8.h"
#include "qrcom/device/QuorlinDevice.h"
#include "qrcom/port/ComPorts.h"

namespace QrApp {

namespace {

std::wstring tryRead(const std::function<std::wstring()>& query) {
  try {
    return query();
  } catch (const QrCom::QrException& failure) {
    QrCom::debugOutput(std::wstring(failure.getMessage()) + L"\n");
    return {};
  }
}

nlohmann::json textOrNull(const std::wstring& text) {
  return text.empty() ? nlohmann::json() : nlohmann::json(QrCom::toUtf8(text));
}

std::string textOrDash(const std::wstring& text) {
  return text.empty() ? "-" : QrCom::toUtf8(text);
}

}  // namespace

ListedDisplay listedDisplay(const QrCom::QuorlinDevice& device, uint16_t language) {
  ListedDisplay listed;
  listed.modelId = device.getModelId();
  listed.model = device.getModelName(nullptr);
  listed.serial = tryRead([&] { return device.getSerialNumber(); });
  listed.firmware = tryRead([&] { return device.getFirmwareVersion(); });
  listed.usbHid = device.isUsbHid();
  listed.path = listed.usbHid ? device.hidDevicePath() : QrCom::comPortName(device.getPortNumber());
  listed.link = devicePortText(device, language);
  if (device.isWaitingInBootLoader()) {
    listed.waiting = terminalText(TerminalText::kTxtInBootLoader, language);
  }
  return listed;
}

ListedDisplay listedWaitingDisplay(int comPortNumber, const std::wstring& serial,
                                   uint16_t language) {
  ListedDisplay listed;
  listed.serial = serial;
  listed.path = QrCom::comPortName(comPortNumber);
  listed.link = ttyPortText(listed.path, language);
  listed.waiting = terminalText(TerminalText::kTxtInBootLoader, language);
  return listed;
}

std::string displaysAsLines(const std::vector<ListedDisplay>& displays) {
  std::string lines;
  for (const ListedDisplay& display : displays) {
    lines += textOrDash(display.model) + '\t' + textOrDash(display.serial) + '\t' +
             textOrDash(display.firmware) + '\t' + QrCom::toUtf8(display.link) +
             (display.waiting.empty() ? "" : '\t' + QrCom::toUtf8(display.waiting)) + '\n';
  }
  return lines;
}

std::string displaysAsJson(const std::vector<ListedDisplay>& displays) {
  nlohmann::json list = nlohmann::json::array();
  for (const ListedDisplay& display : displays) {
    list.push_back(
        {{"modelId", display.modelId == 0 ? nlohmann::json() : nlohmann::json(display.modelId)},
         {"model", textOrNull(display.model)},
         {"serial", textOrNull(display.serial)},
         {"firmware", textOrNull(display.firmware)},
         {"link", display.usbHid ? "usb-hid" : "serial"},
         {"path", QrCom::toUtf8(display.path)},
         {"state", display.waiting.empty() ? "running" : "boot-loader"}});
  }
  return list.dump() + "\n";
}

}  // namespace QrApp
