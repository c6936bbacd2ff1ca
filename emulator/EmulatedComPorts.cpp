#include "emulator/EmulatedComPorts.h"

#include <string>

#include "qrcom/base/QrException.h"

namespace QrEmu {

EmulatedComPorts::EmulatedComPorts(EmulatedPort::Wait wait)
    : wait_(std::move(wait)),
      previous_(QrCom::installComPortOpener([this](int number) { return open(number); })) {}

EmulatedComPorts::~EmulatedComPorts() {
  QrCom::installComPortOpener(std::move(previous_));
}

void EmulatedComPorts::attach(int number, Display& display, QrCom::PortType type) {
  std::lock_guard<std::mutex> guard(mutex_);
  attached_[number] = {&display, type};
}

uint32_t EmulatedComPorts::openings(int number) const {
  std::lock_guard<std::mutex> guard(mutex_);
  const auto found = openings_.find(number);
  return found == openings_.end() ? 0 : found->second;
}

std::unique_ptr<QrCom::SerialPort> EmulatedComPorts::open(int number) {
  const std::wstring name = L"COM" + std::to_wstring(number);
  Attached attached{nullptr, QrCom::PortType::NativeSerial};
  {
    std::lock_guard<std::mutex> guard(mutex_);
    ++openings_[number];
    const auto found = attached_.find(number);
    if (found != attached_.end()) attached = found->second;
  }
  if (attached.display == nullptr) {
    throw QrCom::ErrorOnInitializationException(
        L"EmulatedPort::setPortParameters --  Error while reading Settings for Port \"" + name +
        L"\" ");
  }
  return std::make_unique<EmulatedPort>(*attached.display, wait_, attached.type, name);
}

}  // namespace QrEmu
