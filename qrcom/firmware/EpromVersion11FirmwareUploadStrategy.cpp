#include "qrcom/firmware/EpromVersion11FirmwareUploadStrategy.h"

#include <algorithm>
#include <string_view>

#include "qrcom/base/Clock.h"
#include "qrcom/base/Packet.h"
#include "qrcom/base/QrException.h"
#include "qrcom/firmware/ComputerBraille.h"
#include "qrcom/firmware/EpromDialogue.h"
#include "qrcom/firmware/FirmwareFileSet.h"

namespace QrCom {

using namespace Eprom;

namespace {

constexpr wchar_t kLoadPrefix[] = L"EpromVersion11FirmwareUploadStrategy::loadFirmware -- ";
constexpr wchar_t kEpromPrefix[] = L"EpromVersion11FirmwareUploadStrategy::switchToEpromMode--";
constexpr wchar_t kFlashPrefix[] = L"EpromVersion11FirmwareUploadStrategy::switchToFlashMode--";

constexpr int kProbes = 51;
constexpr std::string_view kEpromSwitch = "EPROMUmschaltung ";
constexpr std::string_view kFlashSwitch = "FLASHUmschaltung ";
constexpr std::string_view kFlashSwitchEcho = "FLASHUmschaltungF";
constexpr std::string_view kUploadMessage = "Firmware Upload...";

}  // namespace

EpromVersion11FirmwareUploadStrategy::EpromVersion11FirmwareUploadStrategy(QuorlinDevice* device,
                                                                           uint8_t modelId,
                                                                           int cellCount)
    : device_(device), modelId_(modelId), cellCount_(std::max(cellCount, 0)) {}

EpromVersion11FirmwareUploadStrategy::EpromVersion11FirmwareUploadStrategy(
    const EpromVersion11FirmwareUploadStrategy& other)
    : device_(other.device_),
      modelId_(other.modelId_),
      cellCount_(other.cellCount_),
      inBootLoader_(other.inBootLoader_.load()) {}

std::unique_ptr<FirmwareUploadStrategy> EpromVersion11FirmwareUploadStrategy::clone() const {
  return std::make_unique<EpromVersion11FirmwareUploadStrategy>(*this);
}

void EpromVersion11FirmwareUploadStrategy::loadBtFirmware(SerialPort&, const std::wstring&,
                                                          FirmwareUploadProgressSink*) {
  notSupported(L"NoFirmwareUploadStrategy::loadBtFirmware -- ");
}

void EpromVersion11FirmwareUploadStrategy::executeBrailleFirmwareUpdate(
    SerialPort&, const std::wstring&, SecondaryFirmwareUploadProgressSink*) {
  notSupported(L"NoFirmwareUploadStrategy::executeBrailleFirmwareUpdate -- ");
}

void EpromVersion11FirmwareUploadStrategy::executeUsbFirmwareUpdate(
    SerialPort&, const std::wstring&, SecondaryFirmwareUploadProgressSink*) {
  notSupported(L"NoFirmwareUploadStrategy::executeUsbFirmwareUpdate -- ");
}

bool EpromVersion11FirmwareUploadStrategy::restartSystem(SerialPort&, bool) {
  notSupported(L"EpromVersion11FirmwareUploadStrategy::restartSystem -- ");
}

void EpromVersion11FirmwareUploadStrategy::report(FirmwareUploadProgressSink* sink,
                                                  uint32_t stage) const {
  if (sink != nullptr) sink->onStage(device_, stage);
}

void EpromVersion11FirmwareUploadStrategy::loadFirmware(SerialPort& port, const std::wstring& path,
                                                        FirmwareUploadProgressSink* sink) {
  running_ = true;
  const FirmwareFileSet set = countFirmwareFiles(path, device_, sink);
  const std::vector<HexFile> files = readFirmwareFiles(set);
  if (running_) {
    if (!inBootLoader_) {
      switchToEpromMode(port, sink);
    } else if (isRvnFamily()) {
      report(sink, kStageSwitchingToEprom);
      switchRvnToEpromMode(port);
    }
    const int banks = isRvnFamily() ? 1 : countFlashBanks(port, sink);
    if (static_cast<uint32_t>(banks) < set.count) {
      throw WrongAmountOfHexFilesException(
          compose(kLoadPrefix, L"Wrong number of firmware files."));
    }
    if (running_) {
      if (banks > 2) deleteFlashMemory(port, banks, sink);
      if (!running_) {
        abandon(port);
        return;
      }
      sendFirmwareFiles(port, files, banks, sink);
      if (running_) {
        switchToFlashMode(port, sink);
        inBootLoader_ = false;
        return;
      }
    }
  }
  port.writeByte(kWake);
  port.purge();
}

void EpromVersion11FirmwareUploadStrategy::switchToEpromMode(SerialPort& port,
                                                             FirmwareUploadProgressSink* sink) {
  report(sink, kStageLookingForDevice);
  bool found = false;
  for (int probe = 0; probe < kProbes && !found; ++probe) {
    port.purge();
    port.writeByte(kWake);
    try {
      const uint8_t first = port.readByte();
      const uint8_t second = port.readByte();
      found = first == kAwake && second == modelId_;
      if (!found) clock().sleep(100);
    } catch (const CannotReadFromPortException&) {
      // Silence is a failed probe; the read time-out was the pause.
    }
  }
  if (!found) throw NoDeviceFoundException(compose(kEpromPrefix, L"No response on reset."));

  report(sink, kStageSwitchingToEprom);
  showUploadMessage(port);
  port.purge();
  clock().sleep(100);
  if (!answers(port, kEnterInfoMode, kOk)) {
    throw CannotSwitchToEpromException(compose(kEpromPrefix, L"Cannot start INFO mode."));
  }
  // Each character waits for its echo, so a display that falls out of step gets no more of the
  // command; the echo of the closing blank is not read.
  for (size_t i = 0; i < kEpromSwitch.size(); ++i) {
    port.writeByte(static_cast<uint8_t>(kEpromSwitch[i]));
    if (i + 1 < kEpromSwitch.size() && port.readByte() != static_cast<uint8_t>(kEpromSwitch[i])) {
      throw CannotSwitchToEpromException(
          compose(kEpromPrefix, L"Wrong answer to switch eprom command."));
    }
  }
  clock().sleep(3000);
  port.purge();
  if (isRvnFamily()) switchRvnToEpromMode(port);
}

void EpromVersion11FirmwareUploadStrategy::showUploadMessage(SerialPort& port) {
  if (modelId_ == 4) return;
  std::vector<uint8_t> cells(static_cast<size_t>(cellCount_) + 1, 0);
  cells[0] = 0x01;
  const size_t shown = std::min(kUploadMessage.size(), static_cast<size_t>(cellCount_));
  for (size_t i = 0; i < shown; ++i) {
    cells[i + 1] = computerBrailleCell(static_cast<uint8_t>(kUploadMessage[i]));
  }
  const std::vector<uint8_t> announce = buildPacket(0x38, 0x50, {0x00});
  port.writeBuffer(announce.data(), static_cast<uint32_t>(announce.size()));
  clock().sleep(200);
  port.writeByte(kWake);
  port.writeByte(kWake);
  clock().sleep(500);
  port.writeBuffer(cells.data(), static_cast<uint32_t>(cells.size()));
  abandon(port);
  clock().sleep(500);
}

void EpromVersion11FirmwareUploadStrategy::switchToFlashMode(SerialPort& port,
                                                             FirmwareUploadProgressSink* sink) {
  report(sink, kStageSwitchingToFlash);
  clock().sleep(500);
  port.purge();
  if (!answers(port, kEnterInfoMode, kOk)) {
    throw CannotSwitchToFlashException(compose(kFlashPrefix, L"Cannot start INFO mode."));
  }
  writeText(port, kFlashSwitch);
  if (!echoes(port, kFlashSwitchEcho)) {
    throw CannotSwitchToFlashException(
        compose(kFlashPrefix, L"Invalid confirmation of FLASHUmschaltung command"));
  }
  clock().sleep(3000);
  port.purge();
}

}  // namespace QrCom
