#pragma once

#include "qrcom/device/QuorlinDevice.h"

namespace QrFuzz {

// A current display (model 84, version 1.03), identified once over a scripted HID link, for the
// strategies that ask their device for its model id or work on a copy of it. No port is open.
QrCom::QuorlinDevice& currentDisplay();

}  // namespace QrFuzz
