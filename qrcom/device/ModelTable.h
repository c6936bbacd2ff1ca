#pragma once

#include <cstdint>
#include <string>

namespace QrCom {

// What the one-byte model id of a display tells: its name, its cells and its product line.
namespace ModelTable {

// The fixed name of a model; "" for ids the table does not know. The pocket reader (144) takes
// its name from elsewhere (QuorlinDevice::getModelName).
const wchar_t* modelName(uint8_t modelId);
// 0 for ids the table does not know.
int cellCount(uint8_t modelId);
// The model the table knows by this name, in any case ("corlet" is 114), or by this id in
// decimal ("114"); 0 for none. Where several ids share a name, the first.
uint8_t modelIdNamed(const std::wstring& nameOrId);

constexpr uint8_t kPageling = 144;

// The model groups. Each list of model ids stands here once; the strategy selection, the
// updater's package rules and the emulator's catalogue ask these.

// 5, 114, 116, 120: the legacy line (EPROM boot loader, legacy file transfer).
bool isLegacyLine(uint8_t modelId);
// 84, 85, 97, 100: the current line (current firmware with extended packets).
bool isQrBrlOsLine(uint8_t modelId);
// 97, 100: the current line's displays with their own storage, which the host must lock.
bool isPocketDisplay(uint8_t modelId);
// 129-132, 134, 135, 138-140, 147, 148.
bool isFundoLine(uint8_t modelId);
// 51 and the Fundo line: Fnx serial numbers and maintenance.
bool isFnxLine(uint8_t modelId);
// 4, 5, 50, 53, 54, 56, 58, 114, 116, 120: the EPROM boot loader takes the main firmware.
bool hasEpromBootLoader(uint8_t modelId);
// The Fnx and the current line: the IAP loader takes the main firmware, and the serial number
// comes in an extended packet.
bool hasIapLoader(uint8_t modelId);
// 5, 50, 54, 56, 58, 68, 114, 116, 120: the serial number comes through INFO mode.
bool tellsSerialInInfoMode(uint8_t modelId);
// 54, 56, 58, 68, the Fnx and the current line; the legacy line from protocol version 2 on.
bool keepsServiceRecord(uint8_t modelId, uint16_t version);

}  // namespace ModelTable
}  // namespace QrCom
