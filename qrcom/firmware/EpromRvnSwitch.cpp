// The second switch-over of models 0x36 and 0x38: after EPROM mode their boot loader needs its
// INFO mode four more times, selects bank 0 bit by bit and erases the flash on its own.
#include <string_view>

#include "qrcom/base/Clock.h"
#include "qrcom/base/QrException.h"
#include "qrcom/firmware/EpromDialogue.h"
#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"

namespace QrCom {

using namespace Eprom;

namespace {

constexpr wchar_t kRvnPrefix[] = L"EpromVersion11FirmwareUploadStrategy::switchRvnToEpromMode--";
// A display that keeps sending anything but 0xFE would otherwise be asked forever.
constexpr int kWakeAttempts = 51;
constexpr int kErasePolls = 15;

[[noreturn]] void fail(const wchar_t* text) {
  throw CannotSwitchToEpromException(compose(kRvnPrefix, text));
}

void enterInfoMode(SerialPort& port, const wchar_t* failure) {
  if (!answers(port, kEnterInfoMode, kOk)) fail(failure);
  writeText(port, kInfo);
  uint8_t echo[5] = {};
  const uint32_t received = port.readBuffer(echo, sizeof echo);
  if (received != sizeof echo ||
      std::string_view(reinterpret_cast<const char*>(echo), sizeof echo) != kInfoEcho) {
    fail(L"failed to retrieve INFOI.");
  }
}

}  // namespace

void EpromVersion11FirmwareUploadStrategy::switchRvnToEpromMode(SerialPort& port) {
  bool awake = false;
  for (int attempt = 0; attempt < kWakeAttempts && !awake; ++attempt) {
    port.writeByte(kWake);
    clock().sleep(200);
    awake = port.readByte() == kAwake;
  }
  if (!awake) fail(L"didn't get 0xfe after sending 0xff.");
  port.purge();
  clock().sleep(500);
  port.writeByte(kWake);
  port.purge();
  clock().sleep(500);

  enterInfoMode(port, L"didn't get 0x4f after sending 0xae.");
  if (!answers(port, 0x36, 0x36)) fail(L"Failed to read 6");
  enterInfoMode(port, L"didn't get 0x4f after sending 0xae the second time.");
  if (!answers(port, 0x33, 0x33)) fail(L"Failed to read 3");
  enterInfoMode(port, L"didn't get 0x4f after sending 0xae the third time.");
  if (!answers(port, 0x55, 0x75)) fail(L"Failed to read u");
  enterInfoMode(port, L"didn't get 0x4f after sending 0xae the fourth time.");

  port.writeByte(kEraseFlash);
  for (int poll = 0; poll < kErasePolls; ++poll) {
    clock().sleep(3000);
    if (port.readByte() == kEraseFlash) return;
  }
}

}  // namespace QrCom
