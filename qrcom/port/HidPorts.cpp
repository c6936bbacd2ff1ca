#include "qrcom/port/HidPorts.h"

#include <mutex>

#include "qrcom/base/QrException.h"
#include "qrcom/port/HidPath.h"

namespace QrCom {

namespace {

std::mutex hidMutex;
HidInterfaceLister installedLister;
HidPortOpener installedOpener;

std::vector<std::wstring> listSystemHidInterfaces() {
  return {};
}

std::unique_ptr<SerialPort> openSystemHidPort(const std::wstring&) {
  throw UnableToOpenPortException(L"Can not open port");
}

}  // namespace

std::vector<HidInterface> enumerateHidInterfaces() {
  HidInterfaceLister lister;
  {
    std::lock_guard<std::mutex> guard(hidMutex);
    lister = installedLister;
  }
  std::vector<HidInterface> displays;
  for (std::wstring& path : lister ? lister() : listSystemHidInterfaces()) {
    const std::optional<int> productId = parseHidPath(path);
    if (!productId || !isDisplayProduct(*productId)) continue;
    displays.push_back({static_cast<uint8_t>(*productId), std::move(path)});
  }
  return displays;
}

std::unique_ptr<SerialPort> openHidPort(const std::wstring& path) {
  HidPortOpener opener;
  {
    std::lock_guard<std::mutex> guard(hidMutex);
    opener = installedOpener;
  }
  return opener ? opener(path) : openSystemHidPort(path);
}

HidInterfaceLister installHidInterfaceLister(HidInterfaceLister lister) {
  std::lock_guard<std::mutex> guard(hidMutex);
  std::swap(lister, installedLister);
  return lister;
}

HidPortOpener installHidPortOpener(HidPortOpener opener) {
  std::lock_guard<std::mutex> guard(hidMutex);
  std::swap(opener, installedOpener);
  return opener;
}

}  // namespace QrCom
