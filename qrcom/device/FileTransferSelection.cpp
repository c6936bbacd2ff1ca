#include "qrcom/device/FileTransferSelection.h"

#include "qrcom/device/ModelTable.h"
#include "qrcom/protocol/BrailleSystemVersion20010FileTransferStrategy.h"
#include "qrcom/protocol/PagelingFileTransferStrategy.h"
#include "qrcom/protocol/QrBrlOsVersion102FileTransferStrategy.h"

namespace QrCom {

std::unique_ptr<FileTransferStrategy> selectFileTransfer(uint8_t modelId, uint16_t version) {
  if (modelId == ModelTable::kPageling) return std::make_unique<PagelingFileTransferStrategy>();
  if (ModelTable::isLegacyLine(modelId)) {
    if (version == 1) return std::make_unique<BrailleSystemVersion2005FileTransferStrategy>();
    if (version == 2)
      return std::make_unique<BrailleSystemVersion20010FileTransferStrategy>(modelId);
    return std::make_unique<BrailleSystemVersion2000FileTransferStrategy>();
  }
  if (ModelTable::isQrBrlOsLine(modelId) && !ModelTable::isPocketDisplay(modelId)) {
    if (version == 0x0102) return std::make_unique<QrBrlOsVersion102FileTransferStrategy>(modelId);
    if (version > 0x0100) return std::make_unique<QrBrlOsFileTransferStrategy>(modelId);
    if (version > 0)
      return std::make_unique<BrailleSystemVersion20010FileTransferStrategy>(modelId);
  }
  if (ModelTable::isPocketDisplay(modelId) && version > 0) {
    return std::make_unique<QrBrlOsVersion102FileTransferStrategy>(modelId);
  }
  return std::make_unique<NoFileTransferStrategy>();
}

}  // namespace QrCom
