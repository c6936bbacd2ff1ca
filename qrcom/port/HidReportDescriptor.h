#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "qrcom/port/HidDevice.h"

namespace QrCom {

// The report lengths a HID report descriptor declares, counted the way the Windows HID parser
// counts them: the longest input and the longest output report, each with one leading byte
// for the report id. Nothing for a descriptor that is cut off or declares neither kind.
std::optional<HidCapabilities> reportLengths(const uint8_t* descriptor, size_t length);

}  // namespace QrCom
