#include "qrcom/protocol/BrailleTableUpload.h"

#include "qrcom/base/QrException.h"
#include "qrcom/protocol/LegacyFraming.h"

namespace QrCom {
namespace BrailleTableUpload {

const wchar_t kPrefix[] = L"BrailleSystemVersion2000MaintenanceStrategy:receiveBrailleTable -- ";

namespace {
constexpr uint8_t kForward = 0x80;
constexpr uint8_t kBackward = 0xC0;
constexpr size_t kBlocks[] = {78, 78, 78, 22};
constexpr uint8_t kEndOfTable = 0xFF;
}  // namespace

uint8_t attribute(int slot, bool searchBackwards, bool backwardsSupported) {
  if (slot < 1 || slot > 9) {
    throw InvalidArgumentException(
        compose(kPrefix, L"Slotnumber for braille table transmission is out of range."));
  }
  if (searchBackwards && !backwardsSupported) {
    throw WrongProtocolVersionException(
        compose(kPrefix,
                L"Backward search in braille tables is not implemented in the target "
                L"device's firmware version"));
  }
  return static_cast<uint8_t>((searchBackwards ? kBackward : kForward) | (slot & 0x0F));
}

void send(SerialPort& port, const uint8_t (&table)[kTableSize],
          const std::vector<uint8_t>& headerBody) {
  constexpr DeviceErrors kErrors = DeviceErrors::Maintenance;
  port.purge();
  sendCommand(port, Legacy::kReceiveDataBlock, kPrefix, kErrors);
  sendFrame(port, headerBody, kPrefix, kErrors);
  size_t offset = 0;
  for (size_t length : kBlocks) {
    sendDataBlock(port, table + offset, length, kPrefix, kErrors);
    offset += length;
  }
  sendCommand(port, Legacy::kEndOfFile, kPrefix, kErrors);
  port.writeByte(kEndOfTable);
}

}  // namespace BrailleTableUpload
}  // namespace QrCom
