#include "qrcom/port/ComPorts.h"

#include <mutex>

#include "qrcom/port/HidPort.h"
#include "qrcom/port/PortTrace.h"

namespace QrCom {

namespace {
std::mutex openerMutex;
ComPortOpener installedOpener;
HidPortOpener installedHidOpener;
}  // namespace

std::unique_ptr<SerialPort> openComPort(int number) {
  ComPortOpener opener;
  {
    std::lock_guard<std::mutex> guard(openerMutex);
    opener = installedOpener;
  }
  return openTraced([&] { return opener ? opener(number) : openSystemComPort(number); },
                    [number] { return comPortName(number); });
}

ComPortOpener installComPortOpener(ComPortOpener opener) {
  std::lock_guard<std::mutex> guard(openerMutex);
  std::swap(opener, installedOpener);
  return opener;
}

std::unique_ptr<SerialPort> openHidPort(const std::wstring& path) {
  HidPortOpener opener;
  {
    std::lock_guard<std::mutex> guard(openerMutex);
    opener = installedHidOpener;
  }
  return openTraced(
      [&]() -> std::unique_ptr<SerialPort> {
        if (opener) return opener(path);
        return std::make_unique<HidPort>(path);
      },
      [&path] { return path; });
}

HidPortOpener installHidPortOpener(HidPortOpener opener) {
  std::lock_guard<std::mutex> guard(openerMutex);
  std::swap(opener, installedHidOpener);
  return opener;
}

}  // namespace QrCom
