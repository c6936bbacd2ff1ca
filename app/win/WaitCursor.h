#pragma once

#include "app/FirmwareUploadControler.h"

namespace QrApp {

// `search` with the wait cursor shown while it runs; the cursor before it comes back after it,
// also when the search throws.
DeviceSearch withWaitCursor(DeviceSearch search);

}  // namespace QrApp
