#pragma once

#include <cstdint>

namespace QrCom {

// What the one-byte model id of a display tells: its name, its cells and its product line.
namespace ModelTable {

// The fixed name of a model; "" for ids the table does not know. The pocket reader (144) takes
// its name from elsewhere (QuorlinDevice::getModelName).
const wchar_t* modelName(uint8_t modelId);
// 0 for ids the table does not know.
int cellCount(uint8_t modelId);

constexpr uint8_t kPageling = 144;

// 5, 114, 116, 120: EPROM boot loader, legacy file transfer.
bool isLegacyLine(uint8_t modelId);
// 84, 85, 97, 100: current firmware with extended packets.
bool isQrBrlOsLine(uint8_t modelId);
// 129-132, 134, 135, 138-140, 147, 148.
bool isFundoLine(uint8_t modelId);

}  // namespace ModelTable
}  // namespace QrCom
