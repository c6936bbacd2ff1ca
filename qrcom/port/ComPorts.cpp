#include "qrcom/port/ComPorts.h"

#include <mutex>

namespace QrCom {

namespace {
std::mutex openerMutex;
ComPortOpener installedOpener;
}  // namespace

std::unique_ptr<SerialPort> openComPort(int number) {
  ComPortOpener opener;
  {
    std::lock_guard<std::mutex> guard(openerMutex);
    opener = installedOpener;
  }
  return opener ? opener(number) : openSystemComPort(number);
}

ComPortOpener installComPortOpener(ComPortOpener opener) {
  std::lock_guard<std::mutex> guard(openerMutex);
  std::swap(opener, installedOpener);
  return opener;
}

}  // namespace QrCom
