#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/FirmwareUploadControler.h"
#include "app/posix/SettingsFile.h"

namespace QrApp {

// The program's search, and after it the older displays that wait in their boot loader on a
// COM port, after an update that did not finish: such a display tells its serial number but not
// its model, so it is added only when `settings` remembers the model of that serial number.
// A note on `notes` names each one and says what becomes of it; those left alone are added to
// `leftAlone` when given.
struct WaitingDisplay {
  int comPortNumber = 0;
  std::wstring serial;  // empty when the display tells none
};
DeviceSearch searchWithWaitingDisplays(bool usb, const SettingsFile& settings, uint16_t language,
                                       std::FILE* notes,
                                       std::vector<WaitingDisplay>* leftAlone = nullptr);

}  // namespace QrApp
