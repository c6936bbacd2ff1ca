#pragma once

#include <cstdint>
#include <memory>

#include "qrcom/protocol/FileTransferStrategy.h"

namespace QrCom {

// The file-transfer strategy of a display, by model id and protocol version: the legacy
// generations for the legacy line (and for early current firmware), the directory-capable
// ones for the current line, the null object for every other display.
std::unique_ptr<FileTransferStrategy> selectFileTransfer(uint8_t modelId, uint16_t version);

}  // namespace QrCom
