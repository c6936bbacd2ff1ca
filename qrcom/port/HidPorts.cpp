#include "qrcom/port/HidPorts.h"

#include <mutex>

#include "qrcom/port/HidPort.h"

namespace QrCom {

namespace {
std::mutex openerMutex;
HidPortOpener installedOpener;
}  // namespace

std::unique_ptr<SerialPort> openHidPort(const std::wstring& path) {
  HidPortOpener opener;
  {
    std::lock_guard<std::mutex> guard(openerMutex);
    opener = installedOpener;
  }
  if (opener) return opener(path);
  return std::make_unique<HidPort>(path);
}

HidPortOpener installHidPortOpener(HidPortOpener opener) {
  std::lock_guard<std::mutex> guard(openerMutex);
  std::swap(opener, installedOpener);
  return opener;
}

}  // namespace QrCom
