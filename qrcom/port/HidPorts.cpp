#include "qrcom/port/HidPorts.h"

#include "qrcom/base/QrException.h"
#include "qrcom/port/HidPath.h"

namespace QrCom {

namespace {

// No platform HID back end is built in yet: nothing is present and nothing opens.
std::vector<std::wstring> listNoInterfaces() {
  return {};
}

std::unique_ptr<SerialPort> openNothing(const std::wstring&) {
  throw UnableToOpenPortException(L"Can not open port");
}

HidLink& installed() {
  static HidLink link{listNoInterfaces, openNothing};
  return link;
}

}  // namespace

std::vector<HidInterface> enumerateHidInterfaces() {
  std::vector<HidInterface> displays;
  for (std::wstring& path : installed().listInterfacePaths()) {
    const std::optional<int> productId = parseHidPath(path);
    if (!productId || !isDisplayProduct(*productId)) continue;
    displays.push_back({static_cast<uint8_t>(*productId), std::move(path)});
  }
  return displays;
}

std::unique_ptr<SerialPort> openHidPort(const std::wstring& path) {
  return installed().open(path);
}

HidLink installHidLink(HidLink link) {
  if (!link.listInterfacePaths) link.listInterfacePaths = listNoInterfaces;
  if (!link.open) link.open = openNothing;
  HidLink previous = std::move(installed());
  installed() = std::move(link);
  return previous;
}

}  // namespace QrCom
