// The Braille processor and the USB controller reprogram themselves from a file the display
// already holds; the host starts them and listens to their progress.
#include <cstdio>

#include "qrcom/base/Clock.h"
#include "qrcom/base/DebugOutput.h"
#include "qrcom/base/Packet.h"
#include "qrcom/base/QrException.h"
#include "qrcom/firmware/QrBrlOsFirmwareUploadStrategy.h"

namespace QrCom {

namespace {

constexpr uint8_t kUpdateProcessor = 0x5A;
constexpr uint8_t kProgress = 0x5B;
constexpr uint8_t kFinished = 0x5C;
constexpr int kUsbController = 1;
constexpr uint32_t kFrameWaitMs = 5000;
constexpr uint32_t kUsbControllerFrameWaitMs = 25000;
// The length byte holds the mode, the name and the type.
constexpr size_t kMaxNameLength = 253;

const wchar_t kPrefix[] = L"QrBrlOsFirmwareUploadStrategy::updateSecondaryProcessor -- ";
const wchar_t kNotFinished[] = L"Cannot finish updating secondary processor.";

uint8_t modeOf(int kind) {
  switch (kind) {
    case 0:
      return 1;
    case 1:
      return 2;
    default:
      return 0;
  }
}

std::wstring formatted(const wchar_t* format, int value) {
  wchar_t text[64];
  std::swprintf(text, sizeof text / sizeof text[0], format, value);
  return text;
}

[[noreturn]] void throwFinishCode(uint8_t code) {
  const std::wstring text = compose(kPrefix, kNotFinished);
  switch (code) {
    case 1:
      throw HexFilesAreEmptyException(text);
    case 2:
      throw NoHexFileFoundException(text);
    case 3:
      throw CannotSwitchToEpromException(text);
    default:
      throw ErrorWhileLoadingHexFileException(text);
  }
}

}  // namespace

void QrBrlOsFirmwareUploadStrategy::executeBrailleFirmwareUpdate(
    SerialPort& port, const std::wstring& fileName, SecondaryFirmwareUploadProgressSink* sink) {
  updateSecondaryProcessor(port, 0, fileName, sink);
}

void QrBrlOsFirmwareUploadStrategy::executeUsbFirmwareUpdate(
    SerialPort& port, const std::wstring& fileName, SecondaryFirmwareUploadProgressSink* sink) {
  updateSecondaryProcessor(port, kUsbController, fileName, sink);
}

void QrBrlOsFirmwareUploadStrategy::updateSecondaryProcessor(
    SerialPort& port, int kind, const std::wstring& fileName,
    SecondaryFirmwareUploadProgressSink* sink) {
  if (fileName.size() > kMaxNameLength) {
    throw NoDeviceFoundException(compose(kPrefix, L"Cannot start secondary firmware upload."));
  }
  std::vector<uint8_t> payload{modeOf(kind)};
  for (wchar_t character : fileName) payload.push_back(static_cast<uint8_t>(character & 0xFF));
  sendPacket(port, buildPacket(modelId(), kUpdateProcessor, payload.data(), payload.size()));
  if (!readAcknowledgement(port).positive()) {
    throw NoDeviceFoundException(compose(kPrefix, L"Cannot start secondary firmware upload."));
  }
  port.purge();

  const uint32_t slice = kind == kUsbController ? kUsbControllerFrameWaitMs : kFrameWaitMs;
  const uint32_t started = clock().tick();
  for (;;) {
    // The processor may work long between frames, but not silently for ever, and a display
    // that keeps reporting progress must still finish some time.
    if (clock().tick() - started >= kSecondaryOverallLimitMs) {
      throw ErrorWhileLoadingHexFileException(compose(kPrefix, kNotFinished));
    }
    const uint32_t silentSince = clock().tick();
    uint8_t last = 0;
    while (!waitForFrameStart(port, slice, last)) {
      if (clock().tick() - silentSince >= kSecondarySilenceLimitMs) {
        throw ErrorWhileLoadingHexFileException(compose(kPrefix, kNotFinished));
      }
    }
    // id, length, type, a byte not used, value, end; a short read leaves zeros.
    uint8_t frame[6] = {};
    port.readBuffer(frame, sizeof frame);
    const uint8_t type = frame[2];
    const uint8_t value = frame[4];
    if (type == kProgress) {
      debugOutput(formatted(L"updating progress: %d \n", value));
      if (sink != nullptr) sink->onSecondaryProgress(device_, kind, fileName, value);
    } else if (type == kFinished) {
      debugOutput(formatted(L"finish updating progress with code: %d \n", value));
      if (value != 0) throwFinishCode(value);
      if (sink != nullptr) sink->onSecondaryProgress(device_, kind, fileName, 100);
      return;
    } else {
      throw ErrorWhileLoadingHexFileException(compose(kPrefix, L"unknown response from device"));
    }
  }
}

}  // namespace QrCom
