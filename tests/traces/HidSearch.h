#pragma once

#include "app/FirmwareUploadControler.h"
#include "qrcom/device/DeviceList.h"

namespace QrTest {

// The updater's search on USB-HID alone: the emulated bus's displays, never the machine's ttys.
inline QrApp::DeviceSearch hidOnlySearch() {
  return [](QrCom::DeviceList& devices) {
    QrCom::SearchRequest request = QrApp::updaterSearchRequest(true);
    request.linkKinds = {QrCom::SearchRequest::kHidInterfaces};
    request.comPortNumbers.clear();
    devices.search(request);
  };
}

}  // namespace QrTest
